#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

// Named symbols drawn as glyphs of the embedded Material Icons font. Each name
// the app uses maps to one glyph; an unknown name maps to nothing and draws
// nothing.
namespace Symbols {

// The glyph text for a symbol name, or an empty string for an unknown name.
QString glyph(const QString& name);
// The symbol font at a size in points (device-independent pixels).
QFont font(qreal points, QFont::Weight weight = QFont::Normal);
// Draws the named symbol centred in rect.
void draw(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color,
          qreal points, QFont::Weight weight = QFont::Normal);
// The symbol as a pixmap of logicalSize × logicalSize at the given device pixel ratio.
QPixmap pixmap(const QString& name, const QColor& color, int logicalSize, qreal dpr);
// The symbol as an icon with crisp renderings for the usual tray and menu sizes.
QIcon icon(const QString& name, const QColor& color);

} // namespace Symbols
