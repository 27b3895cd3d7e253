#include "Palette.h"

namespace Palette {

namespace {

struct Pair {
    QRgb light;
    QRgb dark;
};

Pair pairFor(NamedColor color) {
    switch (color) {
    case NamedColor::green:
        return {0x34c759, 0x30d158};
    case NamedColor::yellow:
        return {0xffcc00, 0xffd60a};
    case NamedColor::orange:
        return {0xff9500, 0xff9f0a};
    case NamedColor::red:
        return {0xff3b30, 0xff453a};
    case NamedColor::blue:
        return {0x007aff, 0x0a84ff};
    case NamedColor::pink:
        return {0xff2d55, 0xff375f};
    case NamedColor::purple:
        return {0xaf52de, 0xbf5af2};
    case NamedColor::cyan:
        return {0x32ade6, 0x64d2ff};
    case NamedColor::gray:
        return {0x8e8e93, 0x98989d};
    }
    return {0x8e8e93, 0x98989d};
}

} // namespace

QColor named(NamedColor color, Appearance appearance) {
    const Pair pair = pairFor(color);
    return QColor::fromRgb(appearance == Appearance::dark ? pair.dark : pair.light);
}

QColor accent(Appearance appearance) {
    return named(NamedColor::blue, appearance);
}

QColor secondaryLabel(Appearance appearance) {
    return appearance == Appearance::dark ? QColor(235, 235, 245, 153) : QColor(60, 60, 67, 153);
}

Appearance appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? Appearance::dark
                                                              : Appearance::light;
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(color.alphaF() * qBound(0.0, opacity, 1.0));
    return color;
}

QColor white(qreal opacity) {
    return withOpacity(Qt::white, opacity);
}

QPalette darkPanelPalette() {
    QPalette p;
    const QColor window(0x1e, 0x1e, 0x20);
    const QColor text = Qt::white;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Base, window);
        p.setColor(group, QPalette::AlternateBase, window.lighter(115));
        p.setColor(group, QPalette::Button, window.lighter(130));
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::ToolTipBase, window);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::Highlight, accent(Appearance::dark));
        p.setColor(group, QPalette::HighlightedText, text);
        p.setColor(group, QPalette::PlaceholderText, secondaryLabel(Appearance::dark));
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, white(0.35));
    p.setColor(QPalette::Disabled, QPalette::Text, white(0.35));
    return p;
}

} // namespace Palette
