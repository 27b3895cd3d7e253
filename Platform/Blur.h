#pragma once

#include <array>

class QImage;

// Blurs of premultiplied ARGB32 images in place, made of box passes along both
// axes: three of them together come within a few per cent of a Gaussian.
// Beyond the edges counts as transparent, so content fades out towards them.
namespace Blur {

// One horizontal and one vertical box pass of each radius (in the image's
// pixels), in order.
void threeBoxes(QImage& image, const std::array<int, 3>& radii);
// Three boxes whose widths are chosen so the variance matches a Gaussian of
// standard deviation sigma (in the image's pixels).
void gaussian(QImage& image, double sigma);

} // namespace Blur
