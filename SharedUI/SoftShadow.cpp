#include "SoftShadow.h"

#include "Platform/Blur.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

SoftShadow::SoftShadow(double radius, QPointF offset) : m_radius(radius), m_offset(offset) {}

QMargins SoftShadow::margins() const {
    const int spread = int(std::ceil(2 * m_radius));
    return {spread - int(std::floor(m_offset.x())), spread - int(std::floor(m_offset.y())),
            spread + int(std::ceil(m_offset.x())), spread + int(std::ceil(m_offset.y()))};
}

void SoftShadow::paint(QPainter& painter, const QRectF& shape, double cornerRadius,
                       const QColor& color) {
    if (m_radius <= 0 && m_offset.isNull())
        return;
    const double dpr = painter.device()->devicePixelRatioF();
    const double spread = std::ceil(2 * m_radius);
    if (m_pictureShape != shape.size() || m_pictureCorner != cornerRadius ||
        m_pictureColor != color || m_picture.devicePixelRatioF() != dpr) {
        const QSizeF logical = shape.size() + QSizeF(2 * spread, 2 * spread);
        m_picture = QImage((logical * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_picture.fill(Qt::transparent);
        {
            QPainter p(&m_picture);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(dpr, dpr);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawRoundedRect(QRectF(QPointF(spread, spread), shape.size()), cornerRadius,
                              cornerRadius);
        }
        Blur::gaussian(m_picture, m_radius * dpr);
        m_picture.setDevicePixelRatio(dpr);
        m_pictureShape = shape.size();
        m_pictureCorner = cornerRadius;
        m_pictureColor = color;
    }
    painter.drawImage(shape.topLeft() + m_offset - QPointF(spread, spread), m_picture);
}
