#include "ColorDot.h"

#include <QPainter>

ColorDot::ColorDot(int diameter, Tone::Rule color, QWidget* parent)
    : QWidget(parent), m_color(std::move(color)) {
    setFixedSize(diameter, diameter);
}

void ColorDot::setColorRule(Tone::Rule color) {
    m_color = std::move(color);
    update();
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
