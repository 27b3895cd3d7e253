#include "KitLabel.h"

#include "Platform/TextStyles.h"

#include <QPainter>

KitLabel::KitLabel(const QString& text, const QFont& font, KitStyle::ColorRule color,
                   QWidget* parent)
    : QLabel(text, parent), m_color(std::move(color)) {
    setTextFormat(Qt::PlainText);
    setFont(font);
}

QColor KitLabel::color() const {
    return m_color(palette());
}

void KitLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color());
    painter.setFont(font());
    const QRect box = contentsRect();
    painter.drawText(
        box, int(alignment()),
        fontMetrics().elidedText(TextStyles::oneLine(text()), Qt::ElideRight, box.width()));
}
