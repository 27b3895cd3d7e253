#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>

class QWidget;

// Pixel checks shared by the view tests.

// The widget shown and drawn, once its pending layout has settled, over a
// background at a device pixel ratio.
QImage renderOn(QWidget& widget, const QColor& background, qreal dpr = 1.0);
// `over` composited on an opaque `under`.
QColor blend(const QColor& under, const QColor& over);
// The largest difference of the two colours' red, green and blue.
int colorDistance(const QColor& a, const QColor& b);
// How many pixels of image inside area (in device pixels; the whole image when
// empty) lie within tolerance of color.
int countNear(const QImage& image, const QColor& color, QRect area = {}, int tolerance = 6);
// WCAG 2's relative luminance of a colour, and the contrast ratio of two
// (1 to 21).
double relativeLuminance(const QColor& color);
double contrastRatio(const QColor& a, const QColor& b);
// How many pixels of image pass `inked`.
int countInk(const QImage& image, const std::function<bool(const QColor&)>& inked);
// The smallest rectangle holding every pixel of image whose colour passes
// `inked`; empty when none does.
QRect inkBox(const QImage& image, const std::function<bool(const QColor&)>& inked);
