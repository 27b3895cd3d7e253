#pragma once

#include "Platform/Tone.h"

#include <QString>
#include <QWidget>

// A named symbol drawn as a glyph at a point size, centred in a fixed box, in
// a colour resolved from its palette when it paints.
// Purely decorative: the text beside it carries the meaning for screen readers.
class SymbolIcon : public QWidget {
    Q_OBJECT

public:
    SymbolIcon(const QString& name, Tone::Rule color, qreal points, int boxWidth,
               QWidget* parent = nullptr);

    void setSymbol(const QString& name, Tone::Rule color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    Tone::Rule m_color;
    qreal m_points;
};
