#pragma once

#include <QFont>
#include <QString>

// Fonts at the sizes the views give in points. A point here is one
// device-independent pixel, so layouts keep their stated geometry on any
// screen; Qt scales them on HiDPI displays.
enum class TextStyle { title2, title3, headline, body, subheadline, caption, caption2 };
enum class FontDesign { standard, rounded, monospaced };

namespace TextStyles {

// The application font at a size, weight and design.
QFont font(qreal points, QFont::Weight weight = QFont::Normal,
           FontDesign design = FontDesign::standard);
// A semantic text style, optionally bold; sizes keep the styles' order of
// prominence (title 2 above title 3, above headline and body, above
// subheadline, caption and caption 2).
QFont font(TextStyle style, bool bold = false, FontDesign design = FontDesign::standard);
// Letter spacing in points.
QFont tracked(QFont font, qreal points);
// The text for a single line: line breaks, tabs and other control characters
// (a Linux file name may hold any of them) become spaces, so the text measures
// as it is drawn.
QString oneLine(QString text);

} // namespace TextStyles
