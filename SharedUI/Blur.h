#pragma once

class QImage;

namespace Blur {

// Blurs a premultiplied ARGB32 image in place: three box passes per axis,
// which together come within a few per cent of a Gaussian of standard
// deviation sigma (in the image's pixels). Beyond the edges counts as
// transparent, so content fades out towards them.
void gaussian(QImage& image, double sigma);

} // namespace Blur
