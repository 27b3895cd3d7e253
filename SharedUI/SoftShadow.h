#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPointF>
#include <QSizeF>

class QPainter;
class QRectF;

// The soft shadow a rounded shape casts: the shape, blurred with a Gaussian of
// standard deviation `radius` points and moved by `offset`. Drawn by hand at
// the device's pixel ratio, so it stays crisp on HiDPI screens, and kept as one
// picture per shape size, corner radius, colour and ratio, so repaints cost a
// single image draw.
class SoftShadow {
public:
    SoftShadow(double radius, QPointF offset);

    // The room around the shape that the visible part of the shadow needs
    // (two standard deviations, past which it fades below one colour step).
    QMargins margins() const;
    void paint(QPainter& painter, const QRectF& shape, double cornerRadius, const QColor& color);

private:
    double m_radius;
    QPointF m_offset;
    QImage m_picture;
    QSizeF m_pictureShape;
    double m_pictureCorner = -1;
    QColor m_pictureColor;
};
