#include "ToggleSwitch.h"

#include "KitStyle.h"
#include "Platform/Palette.h"

#include <QPainter>

namespace {

// The track of a small switch, with room around it for the focus ring.
constexpr QSizeF trackSize(32, 18);
constexpr qreal ringRoom = 2;
constexpr qreal knobInset = 2;
constexpr qreal offTrackOpacity = 0.35;

} // namespace

ToggleSwitch::ToggleSwitch(const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    KitStyle::makeFocusable(this, accessibleName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    return (trackSize + QSizeF(2 * ringRoom, 2 * ringRoom)).toSize();
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(QPointF(ringRoom, (height() - trackSize.height()) / 2), trackSize);
    const qreal radius = track.height() / 2;
    const QPalette& colors = palette();
    const QColor fill = isChecked()
                            ? KitStyle::accent(colors)
                            : Palette::withOpacity(KitStyle::secondary(colors), offTrackOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isEnabled() ? fill : Palette::withOpacity(fill, 0.5));
    painter.drawRoundedRect(track, radius, radius);

    const qreal knob = track.height() - 2 * knobInset;
    const qreal knobX = isChecked() ? track.right() - knobInset - knob : track.left() + knobInset;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, track.top() + knobInset, knob, knob));

    if (hasFocus()) {
        const qreal ring = ringRoom - KitStyle::focusRingWidth / 2;
        KitStyle::paintFocusRing(painter, track.adjusted(-ring, -ring, ring, ring), radius + ring,
                                 Palette::withOpacity(KitStyle::accent(colors), 0.6));
    }
}
