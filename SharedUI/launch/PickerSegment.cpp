#include "PickerSegment.h"

#include "KitStyle.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"

#include <QPainter>
#include <QtMath>

namespace {
constexpr qreal textPoints = 12;
constexpr qreal paddingX = 14;
constexpr qreal paddingY = 4;
constexpr qreal inset = 2;
constexpr qreal cornerRadius = 5;
} // namespace

PickerSegment::PickerSegment(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setCheckable(true);
    setFont(TextStyles::font(textPoints));
    KitStyle::makeFocusable(this, text);
}

QSize PickerSegment::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(text()) + 2 * paddingX),
            qCeil(metrics.height() + 2 * paddingY + 2 * inset)};
}

void PickerSegment::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF face = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const QColor accent = KitStyle::accent(palette());
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? accent.darker(115) : accent);
        painter.drawRoundedRect(face, cornerRadius, cornerRadius);
    }
    if (hasFocus())
        KitStyle::paintFocusRing(painter, face, cornerRadius, Palette::withOpacity(accent, 0.6));
    painter.setFont(font());
    painter.setPen(isChecked() ? QColor(Qt::white) : KitStyle::primary(palette()));
    painter.drawText(face, Qt::AlignCenter, text());
}
