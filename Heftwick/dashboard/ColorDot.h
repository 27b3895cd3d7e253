#pragma once

#include "Platform/Tone.h"

#include <QWidget>

// A filled circle of a fixed diameter: the legend and breakdown dots.
class ColorDot : public QWidget {
    Q_OBJECT

public:
    ColorDot(int diameter, Tone::Rule color, QWidget* parent = nullptr);

    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone::Rule m_color;
};
