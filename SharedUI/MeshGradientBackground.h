#pragma once

#include "MotionCurves.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <vector>

class QPainter;

// Four soft colour blobs drifting slowly over black. The picture is a pure
// function of the wall clock (seconds since 2001-01-01 00:00:00 UTC, times
// `speed`) and the size, so two backgrounds alike show the same picture at the
// same moment. It redraws at up to 60 frames per second while it is visible and
// costs nothing while hidden. When the stored preferences ask for reduced
// motion it stands still, showing the picture of time zero.
//
// Children (cards, buttons) may be laid out on it.
class MeshGradientBackground : public QWidget {
    Q_OBJECT
public:
    // Purple, blue, cyan and green, in their variants for dark backgrounds (the
    // blobs always lie on black).
    static QList<QColor> defaultColors();

    explicit MeshGradientBackground(QList<QColor> colors = defaultColors(), double speed = 0.5,
                                    QWidget* parent = nullptr);

    struct Blob {
        QPointF centre;
        QColor color;
    };
    // The four blobs at animation time t (seconds × speed) on a canvas of the
    // given size, in drawing order; blob i takes colour i modulo the list's
    // length. None for an empty list.
    static std::vector<Blob> blobs(const QList<QColor>& colors, double t, QSizeF size);
    // The blobs drawn at one eighth of the size in points and blurred there:
    // the blur's radius of 60 points becomes 7.5 pixels, which costs a fraction
    // of blurring the full picture and, scaled up smoothly, looks the same.
    static QImage reducedFrame(const QList<QColor>& colors, double t, QSizeF size);
    // Black, then the reduced picture scaled up smoothly over `target`.
    static void paintFrame(QPainter& painter, const QRectF& target, const QImage& reduced);
    // One whole frame at a moment (seconds since 2001-01-01 UTC), as the
    // widget shows it.
    static QImage frame(const QList<QColor>& colors, double speed, double referenceSeconds,
                        QSize size, double devicePixelRatio = 1.0);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The kit's tests step the clock and see whether frames come through these.
    friend class AnimationProbe;
    // Replaces the wall clock (seconds since 2001-01-01 UTC).
    void setClock(Motion::Clock clock);
    bool isAnimating() const { return m_timer.isActive(); }

    double animationTime() const;
    // The reduced picture for the current moment and size; painted children
    // (cards, their focus rings) repaint the background without recomputing
    // it while the moment stands still.
    const QImage& reducedFrameNow();

    QList<QColor> m_colors;
    double m_speed;
    Motion::Clock m_clock;
    bool m_still = false;
    QTimer m_timer;
    QImage m_reduced;
    double m_reducedTime = 0;
    QSize m_reducedSize;
};
