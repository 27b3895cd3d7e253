#include "ColorDot.h"

#include <QPainter>

ColorDot::ColorDot(int diameter, Tone::Rule color, QWidget* parent)
    : QWidget(parent), m_color(std::move(color)) {
    setFixedSize(diameter, diameter);
}

QColor ColorDot::color() const {
    return m_color(palette());
}

void ColorDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color());
    painter.drawEllipse(QRectF(rect()));
}
