#pragma once

#include "Tone.h"

#include <QFont>
#include <QString>
#include <QWidget>

// A named symbol drawn at a point size, centred in a fixed frame, in a colour
// resolved from the palette when it paints. With a tile, the frame is filled
// with the symbol's colour at 10 % and rounded by 6 points, as the kit's rows
// draw their icons. Decorative: the text beside it carries the meaning for
// screen readers.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    enum class Backdrop { none, tile };

    // A frame height of 0 takes the symbol font's line height, so the symbol
    // lines up with a text line of the same size.
    SymbolView(const QString& name, qreal points, QFont::Weight weight, Tone::Rule color,
               QSize frame, Backdrop backdrop = Backdrop::none, QWidget* parent = nullptr);

    void setSymbol(const QString& name, Tone::Rule color);
    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    qreal m_points;
    QFont::Weight m_weight;
    Tone::Rule m_color;
    Backdrop m_backdrop;
};
