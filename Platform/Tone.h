#pragma once

#include "NamedColor.h"

#include <QColor>
#include <QPalette>
#include <functional>

// Colours that views resolve against their palette when they paint, so they
// follow the panel's dark palette and the main window's system palette alike.
namespace Tone {

using Rule = std::function<QColor(const QPalette&)>;

// The palette's window text at an opacity: white at N% on the dark panel.
Rule windowText(qreal opacity = 1.0);
// The secondary label colour of the palette's appearance.
Rule secondaryText();
// A named colour in the palette's appearance, at an opacity.
Rule named(NamedColor color, qreal opacity = 1.0);
// A colour that does not depend on the palette.
Rule fixed(const QColor& color);

// The named colour in the appearance of the palette.
QColor resolve(NamedColor color, const QPalette& palette, qreal opacity = 1.0);

} // namespace Tone
