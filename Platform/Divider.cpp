#include "Divider.h"

#include "Palette.h"

#include <QPainter>

namespace {
// The separator: the window text faded to a quiet line.
constexpr qreal separatorStrength = 0.2;
} // namespace

Divider::Divider(qreal opacity, QWidget* parent) : QWidget(parent), m_opacity(opacity) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Palette::withOpacity(palette().color(QPalette::WindowText),
                                                  separatorStrength * m_opacity));
}
