#include "Blur.h"

#include <QImage>
#include <cmath>
#include <vector>

namespace Blur {

namespace {

// The radii of three boxes whose repeated averaging approximates a Gaussian of
// the given standard deviation (widths differ by two so the variance matches).
std::array<int, 3> boxRadii(double sigma) {
    constexpr int passes = 3;
    const double idealWidth = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = int(std::floor(idealWidth));
    if (lower % 2 == 0)
        --lower;
    const double idealLowerCount =
        (12 * sigma * sigma - passes * lower * lower - 4 * passes * lower - 3 * passes) /
        (-4.0 * lower - 4);
    const int lowerCount = int(std::lround(idealLowerCount));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i)
        radii[size_t(i)] = ((i < lowerCount ? lower : lower + 2) - 1) / 2;
    return radii;
}

// One box average along a line of n pixels spaced `stride` apart, reading from
// `line` (a copy) and writing back into `out`.
void boxLine(const QRgb* line, QRgb* out, int n, qsizetype stride, int radius) {
    const int width = 2 * radius + 1;
    const quint32 scale = (1u << 16) / quint32(width);
    quint32 sum[4] = {0, 0, 0, 0};
    const auto add = [&](QRgb p, int sign) {
        for (int c = 0; c < 4; ++c)
            sum[c] += quint32(sign * int((p >> (8 * c)) & 0xff));
    };
    for (int j = 0; j <= radius && j < n; ++j)
        add(line[j], 1);
    for (int i = 0; i < n; ++i) {
        QRgb value = 0;
        for (int c = 0; c < 4; ++c)
            value |= std::min((sum[c] * scale + (1u << 15)) >> 16, 255u) << (8 * c);
        out[i * stride] = value;
        if (i + radius + 1 < n)
            add(line[i + radius + 1], 1);
        if (i - radius >= 0)
            add(line[i - radius], -1);
    }
}

void blurAxis(QImage& image, int radius, bool horizontal) {
    const int lines = horizontal ? image.height() : image.width();
    const int n = horizontal ? image.width() : image.height();
    const qsizetype rowStride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    const qsizetype step = horizontal ? 1 : rowStride;
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    std::vector<QRgb> copy(static_cast<size_t>(n));
    for (int l = 0; l < lines; ++l) {
        QRgb* start = horizontal ? bits + l * rowStride : bits + l;
        for (int i = 0; i < n; ++i)
            copy[size_t(i)] = start[i * step];
        boxLine(copy.data(), start, n, step, radius);
    }
}

} // namespace

void threeBoxes(QImage& image, const std::array<int, 3>& radii) {
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    for (const int radius : radii) {
        blurAxis(image, radius, true);
        blurAxis(image, radius, false);
    }
}

void gaussian(QImage& image, double sigma) {
    if (sigma < 0.5 || image.isNull())
        return;
    threeBoxes(image, boxRadii(sigma));
}

} // namespace Blur
