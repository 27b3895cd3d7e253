#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <chrono>

class QTimer;

// Makes the running application a tray-only one. Linux has no Dock and no
// application menu to give up, so here it means the application keeps running
// with no window shown: closing its last window does not quit it. The
// application object must already exist.
void configureAsMenuBarOnlyApp();

// Cycles a tray icon through frames in time with a beat rate: one pass through
// the frames per beat, so the icon changes every 60 / bpm / frames.size()
// seconds, held to that rate on average even where it is not a whole number of
// milliseconds. The first tick shows frame 0. The ticks come from a timer on
// the event loop of the thread that started the animation; all calls come from
// that thread. A null or destroyed status item is skipped on each tick and the
// frame count still advances.
//
// An empty frame list, or a rate that is not a positive number, starts
// nothing: the running animation stops and the animator stays idle. Frames
// come at most once a millisecond. Destroying the animator stops it.
class AnimatedStatusIcon : public QObject {
    Q_OBJECT

public:
    explicit AnimatedStatusIcon(QObject* parent = nullptr);

    void startAnimation(QSystemTrayIcon* statusItem, QList<QIcon> frames, double bpm = 60);
    // Starts again from frame 0 at the new rate.
    void updateBPM(QSystemTrayIcon* statusItem, QList<QIcon> frames, double bpm = 60);
    // The icon last shown stays.
    void stopAnimation();

private:
    void tick();
    void arm();

    QTimer* m_timer = nullptr;
    qint64 m_frameIndex = 0;
    QPointer<QSystemTrayIcon> m_statusItem;
    QList<QIcon> m_frames;
    std::chrono::nanoseconds m_frameInterval{};
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_nextTick;
};

// Frames of a beating heart for AnimatedStatusIcon: count mask icons of size ×
// size points at the screen's device pixel ratio, the heart symbol scaled by
// 1 + 0.2 · sin(2π · i / count) about the centre (clipped at the edges), so it
// grows to 1.2 a quarter of the way through the beat and shrinks to 0.8 at
// three quarters. A count of zero or less, or a size that is not a positive
// number, gives no frames.
QList<QIcon> generateHeartFrames(int count = 8, qreal size = 18.0);
