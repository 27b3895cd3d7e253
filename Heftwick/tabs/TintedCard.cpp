#include "TintedCard.h"

#include "shell/Palette.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal cornerRadius = 12;
constexpr qreal outlineWidth = 1;
} // namespace

TintedCard::TintedCard(const QColor& tint, QWidget* parent, Outline outline)
    : QWidget(parent), m_tint(tint), m_outline(outline) {}

void TintedCard::setTint(const QColor& tint) {
    m_tint = tint;
    update();
}

void TintedCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The outline straddles the shape's edge; inset by half its width so it stays inside.
    const qreal inset = outlineWidth / 2;
    const QRectF shape = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius, cornerRadius);
    painter.fillPath(path, Palette::withOpacity(m_tint, 0.05));
    if (m_outline == Outline::unframed)
        return;
    painter.setPen(QPen(Palette::withOpacity(m_tint, 0.2), outlineWidth));
    painter.drawPath(path);
}
