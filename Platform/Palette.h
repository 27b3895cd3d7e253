#pragma once

#include "NamedColor.h"

#include <QColor>
#include <QPalette>

// Fixed values for the named colours the views use. Each has a variant for
// light and for dark backgrounds; the tray panel is always dark.
namespace Palette {

enum class Appearance { light, dark };

QColor named(NamedColor color, Appearance appearance = Appearance::dark);
QColor accent(Appearance appearance = Appearance::dark);
// Secondary text: the foreground at reduced strength.
QColor secondaryLabel(Appearance appearance);

// The appearance a widget palette stands for (dark when its window is dark).
Appearance appearanceOf(const QPalette& palette);

// The colour with its alpha scaled by opacity (0 to 1).
QColor withOpacity(QColor color, qreal opacity);
// White at the given opacity, as the dark panel draws most of its texts.
QColor white(qreal opacity = 1.0);

// A palette for the always-dark tray panel.
QPalette darkPanelPalette();

} // namespace Palette
