#include "ModernCardView.h"

#include "KitStyle.h"
#include "Platform/Palette.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr double shadowOpacity = 0.15;
constexpr QPointF shadowOffset(0, 4);

QLinearGradient diagonal(const QRectF& rect, double fromOpacity, double toOpacity) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, Palette::white(fromOpacity));
    gradient.setColorAt(1, Palette::white(toOpacity));
    return gradient;
}

} // namespace

ModernCardView::ModernCardView(double cornerRadius, double /*blurRadius*/, double opacity,
                               bool showBorder, double shadowRadius, QWidget* content,
                               QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_opacity(opacity), m_showBorder(showBorder),
      m_shadow(shadowRadius, shadowOffset) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(m_shadow.margins() +
                               QMargins(KitStyle::standardPadding, KitStyle::standardPadding,
                                        KitStyle::standardPadding, KitStyle::standardPadding));
    if (content)
        layout->addWidget(content);
}

ModernCardView::ModernCardView(QWidget* content, QWidget* parent)
    : ModernCardView(20, 20, 0.15, true, 10, content, parent) {}

QRect ModernCardView::cardRect() const {
    return rect().marginsRemoved(m_shadow.margins());
}

void ModernCardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    const double r = m_cornerRadius;
    m_shadow.paint(painter, card, r, Palette::withOpacity(Qt::black, shadowOpacity));

    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::withOpacity(
        KitStyle::material(KitStyle::Material::ultraThin, palette()), m_opacity));
    painter.drawRoundedRect(card, r, r);
    painter.setBrush(diagonal(card, 0.1, 0.05));
    painter.drawRoundedRect(card, r, r);
    if (m_showBorder) {
        // Inset half a pixel so the 1-point line covers whole pixels.
        const QRectF line = card.adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QBrush(diagonal(line, 0.3, 0.1)), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(line, r - 0.5, r - 0.5);
    }
}
