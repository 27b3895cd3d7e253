#include "TintedCard.h"

#include "Platform/Palette.h"
#include "Platform/Tone.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal cornerRadius = 12;
constexpr qreal outlineWidth = 1;
} // namespace

TintedCard::TintedCard(NamedColor tint, QWidget* parent, Outline outline)
    : QWidget(parent), m_tint(tint), m_outline(outline) {}

void TintedCard::setTint(NamedColor tint) {
    m_tint = tint;
    update();
}

QColor TintedCard::tint() const {
    return Tone::resolve(m_tint, palette());
}

void TintedCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The outline straddles the shape's edge; inset by half its width so it stays inside.
    const qreal inset = outlineWidth / 2;
    const QRectF shape = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius, cornerRadius);
    const QColor color = tint();
    painter.fillPath(path, Palette::withOpacity(color, 0.05));
    if (m_outline == Outline::unframed)
        return;
    painter.setPen(QPen(Palette::withOpacity(color, 0.2), outlineWidth));
    painter.drawPath(path);
}
