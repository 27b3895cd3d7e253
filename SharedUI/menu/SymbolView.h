#pragma once

#include "KitStyle.h"

#include <QFont>
#include <QWidget>

// A named symbol drawn at a point size, centred in a fixed frame, in a colour
// resolved from the palette when it paints. With a tile, the frame is filled
// with the symbol's colour at 10 % and rounded by 6 points, as the rows draw
// their icons. Decorative: the text beside it carries the meaning.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    enum class Backdrop { none, tile };

    // A frame height of 0 takes the symbol font's line height, so the symbol
    // lines up with a text line of the same size.
    SymbolView(const QString& name, qreal points, QFont::Weight weight, KitStyle::ColorRule color,
               QSize frame, Backdrop backdrop = Backdrop::none, QWidget* parent = nullptr);

    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    qreal m_points;
    QFont::Weight m_weight;
    KitStyle::ColorRule m_color;
    Backdrop m_backdrop;
};
