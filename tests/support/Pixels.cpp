#include "Pixels.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>

QImage renderOn(QWidget& widget, const QColor& background, qreal dpr) {
    widget.show();
    QCoreApplication::processEvents();
    QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(background);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

QColor blend(const QColor& under, const QColor& over) {
    const float a = over.alphaF();
    return QColor::fromRgbF(over.redF() * a + under.redF() * (1 - a),
                            over.greenF() * a + under.greenF() * (1 - a),
                            over.blueF() * a + under.blueF() * (1 - a));
}

int colorDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

int countNear(const QImage& image, const QColor& color, QRect area, int tolerance) {
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (colorDistance(image.pixelColor(x, y), color) <= tolerance)
                ++count;
    return count;
}

double relativeLuminance(const QColor& color) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int countInk(const QImage& image, const std::function<bool(const QColor&)>& inked) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += inked(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

QRect inkBox(const QImage& image, const std::function<bool(const QColor&)>& inked) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}
