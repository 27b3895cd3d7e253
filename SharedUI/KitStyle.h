#pragma once

#include "Platform/NamedColor.h"
#include "Platform/Tone.h"

#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QPainter;
class QPalette;
class QRectF;
class QWidget;

// The host's stand-ins for the desktop's standard padding, materials and
// semantic colours, shared by every component of the kit. Colours are read from
// the widget's palette when it paints, so a theme change shows at once.
namespace KitStyle {

// The standard padding around panels, rows' containers and cards, in points
// (device-independent pixels): the spacing Qt styles give a dialog's content.
inline constexpr int standardPadding = 16;

// Materials are translucent fills that let what lies behind show through. Here
// they are the palette's colours at fixed opacities:
//   ultraThin           -> Window at 55 %
//   windowBackground    -> Window, opaque
//   controlBackground   -> Button, opaque
enum class Material { ultraThin, windowBackground, controlBackground };
QColor material(Material material, const QPalette& palette);

// The accent colour: the desktop's blue in the palette's appearance.
QColor accent(const QPalette& palette);
// Primary text: the palette's window text.
QColor primary(const QPalette& palette);
// Secondary text: the foreground at reduced strength.
QColor secondary(const QPalette& palette);
// A named colour in the palette's appearance.
QColor named(NamedColor color, const QPalette& palette);
// A colour a caller chose, or the accent colour when it chose none.
QColor colorOrAccent(const std::optional<QColor>& color, const QPalette& palette);

// A colour resolved from a widget's palette each time it paints, such as
// KitStyle::secondary or a caller's colour captured in a lambda: the same rule
// the app's views paint with.
using ColorRule = Tone::Rule;

// The width of the ring that marks keyboard focus, in points.
inline constexpr qreal focusRingWidth = 1.5;
// Draws the keyboard-focus ring along rect in color (the accent at some
// strength); the painter's pen and brush are left as they were.
void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                    qreal width = focusRingWidth);

// Gives an interactive component keyboard focus (Tab and click) and the name a
// screen reader announces.
void makeFocusable(QWidget* widget, const QString& accessibleName);

// Whether the stored preferences ask for reduced motion. Components read it
// each time they are shown: pulses then stay still, presses snap without a
// spring, and the animated background stands still.
bool reduceMotion();

} // namespace KitStyle
