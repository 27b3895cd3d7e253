#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdlib>

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

// color laid over background, as an opaque pixel.
inline QColor composite(const QColor& color, const QColor& background) {
    const qreal a = color.alphaF();
    return QColor::fromRgbF(float(color.redF() * a + background.redF() * (1 - a)),
                            float(color.greenF() * a + background.greenF() * (1 - a)),
                            float(color.blueF() * a + background.blueF() * (1 - a)));
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 6) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// How many pixels of image inside area (in device pixels) are near color.
inline int countNear(const QImage& image, const QColor& color, QRect area = {}, int tolerance = 6) {
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (near(image.pixelColor(x, y), color, tolerance))
                ++count;
    return count;
}
