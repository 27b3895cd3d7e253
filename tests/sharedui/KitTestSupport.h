#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Renders widget (laid out at its size hint unless it already has a size) over
// a plain background, at a device pixel ratio.
inline QImage renderOver(QWidget& widget, const QColor& background, qreal ratio = 1) {
    widget.ensurePolished();
    if (!widget.testAttribute(Qt::WA_Resized))
        widget.resize(widget.sizeHint());
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
