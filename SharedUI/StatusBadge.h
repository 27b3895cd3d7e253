#pragma once

#include "MotionCurves.h"
#include "Platform/NamedColor.h"

#include <QTimer>
#include <QWidget>

// A coloured pill with a status symbol and a short text. For `active` and
// `processing` the symbol pulses between 1.0 and 1.1 (one ease-in-out second
// each way, forever) while the badge is shown; the other statuses stand still,
// as does every badge when the stored preferences ask for reduced motion.
class StatusBadge : public QWidget {
    Q_OBJECT
public:
    enum class Status { active, inactive, warning, error, processing };

    static constexpr double pulseLow = 1.0;
    static constexpr double pulseHigh = 1.1;
    static constexpr double pulseSeconds = 1.0;

    static NamedColor colorOf(Status status);
    static QString symbolOf(Status status);
    static bool pulses(Status status);

    StatusBadge(Status status, const QString& text, QWidget* parent = nullptr);

    Status status() const { return m_status; }
    QString text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The kit's tests step the clock and read the pulse through these.
    friend class AnimationProbe;
    // Replaces the monotonic animation clock (seconds).
    void setClock(Motion::Clock clock);
    // Pulsing is the badge's only animation: both ask whether its frame timer runs.
    bool isPulsing() const { return m_timer.isActive(); }
    // The symbol's current scale about its centre.
    double symbolScale() const;
    bool isAnimating() const { return isPulsing(); }

    QRectF symbolRect() const;

    Status m_status;
    QString m_text;
    Motion::Clock m_clock;
    double m_pulseStart = 0;
    QTimer m_timer;
};
