#pragma once

#include "LoadEngine.h"

#include <QImage>
#include <QWidget>

// The ring gauge of the Desktop's load: a track ring, an arc from 12 o'clock
// clockwise over the load fraction painted with a conic green-yellow-orange-red
// gradient and a status-coloured glow, and in the middle the total, the item
// count and a capsule with the status. Fills the size it is given.
class LoadGauge : public QWidget {
    Q_OBJECT

public:
    explicit LoadGauge(QWidget* parent = nullptr);
    void setLoad(double percent, LoadEngine::LoadStatus status, qint64 total, qint64 count);

    // Geometry of the ring for a frame: the circle the strokes are centred on.
    static QRectF ringRect(const QRectF& frame);
    static constexpr qreal inset = 24;
    static constexpr qreal strokeWidth = 24;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct ShadowKey {
        QSize deviceSize;
        qreal dpr = 0;
        double percent = -1;
        QRgb color = 0;
        bool operator==(const ShadowKey&) const = default;
    };

    void paintTrack(QPainter& painter, const QRectF& ring) const;
    void paintArc(QPainter& painter, const QRectF& ring) const;
    void paintShadow(QPainter& painter, const QRectF& ring);
    void paintCentre(QPainter& painter, const QRectF& ring) const;
    QColor statusColor(qreal opacity = 1.0) const;

    double m_percent = 0;
    LoadEngine::LoadStatus m_status;
    qint64 m_total = 0;
    qint64 m_count = 0;

    ShadowKey m_shadowKey;
    QImage m_shadow;
};
