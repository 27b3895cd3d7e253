#include "KitDivider.h"

#include "Platform/Palette.h"

#include <QPainter>

namespace {
constexpr qreal separatorOpacity = 0.2;
} // namespace

KitDivider::KitDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void KitDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(),
                     Palette::withOpacity(palette().color(QPalette::WindowText), separatorOpacity));
}
