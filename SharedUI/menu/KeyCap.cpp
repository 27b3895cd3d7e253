#include "KeyCap.h"

#include "KitStyle.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"

#include <QPainter>

namespace {
constexpr qreal keyPoints = 10;
constexpr int paddingX = 5;
constexpr int paddingY = 2;
constexpr qreal cornerRadius = 4;
constexpr qreal outlineOpacity = 0.2;
} // namespace

KeyCap::KeyCap(const QString& key, QWidget* parent)
    : KitLabel(key, TextStyles::font(keyPoints, QFont::Medium), KitStyle::primary, parent) {
    setContentsMargins(paddingX, paddingY, paddingX, paddingY);
    setAlignment(Qt::AlignCenter);
}

void KeyCap::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // A 1-point outline drawn inside the cap's bounds.
        const QRectF cap = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(KitStyle::material(KitStyle::Material::controlBackground, palette()));
        painter.setPen(
            QPen(Palette::withOpacity(KitStyle::secondary(palette()), outlineOpacity), 1));
        painter.drawRoundedRect(cap, cornerRadius, cornerRadius);
    }
    KitLabel::paintEvent(event);
}
