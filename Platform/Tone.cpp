#include "Tone.h"

#include "Palette.h"

namespace Tone {

Rule windowText(qreal opacity) {
    return [opacity](const QPalette& palette) {
        return Palette::withOpacity(palette.color(QPalette::WindowText), opacity);
    };
}

Rule secondaryText() {
    return [](const QPalette& palette) {
        return Palette::secondaryLabel(Palette::appearanceOf(palette));
    };
}

Rule named(NamedColor color, qreal opacity) {
    return [color, opacity](const QPalette& palette) { return resolve(color, palette, opacity); };
}

Rule fixed(const QColor& color) {
    return [color](const QPalette&) { return color; };
}

QColor resolve(NamedColor color, const QPalette& palette, qreal opacity) {
    return Palette::withOpacity(Palette::named(color, Palette::appearanceOf(palette)), opacity);
}

} // namespace Tone
