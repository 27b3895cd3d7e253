#include "KitStyle.h"

#include "Platform/Palette.h"
#include "SharedCore/AppPreferences.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace KitStyle {

QColor material(Material material, const QPalette& palette) {
    switch (material) {
    case Material::ultraThin:
        return Palette::withOpacity(palette.color(QPalette::Window), 0.55);
    case Material::windowBackground:
        return palette.color(QPalette::Window);
    case Material::controlBackground:
        return palette.color(QPalette::Button);
    }
    return palette.color(QPalette::Window);
}

QColor accent(const QPalette& palette) {
    return Palette::accent(Palette::appearanceOf(palette));
}

QColor primary(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette& palette) {
    return Palette::secondaryLabel(Palette::appearanceOf(palette));
}

QColor named(NamedColor color, const QPalette& palette) {
    return Tone::resolve(color, palette);
}

QColor colorOrAccent(const std::optional<QColor>& color, const QPalette& palette) {
    return color ? *color : accent(palette);
}

void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                    qreal width) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color, width));
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

void makeFocusable(QWidget* widget, const QString& accessibleName) {
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setAccessibleName(accessibleName);
}

bool reduceMotion() {
    return AppPreferences::load().reduceMotion;
}

} // namespace KitStyle
