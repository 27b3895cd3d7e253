#include "Pixels.h"
#include "SharedCore/MenuBarManager.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// The box of a frame's clearly drawn pixels (alpha at least one half).
QRect inkBox(const QIcon& frame, int size) {
    return ::inkBox(frame.pixmap(QSize(size, size), 1.0).toImage(),
                    [](const QColor& pixel) { return pixel.alpha() >= 128; });
}

// Frames that tell themselves apart by their cache keys.
QList<QIcon> numberedFrames(int count) {
    QList<QIcon> frames;
    for (int i = 0; i < count; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor::fromHsv(i * 40, 255, 255));
        frames << QIcon(pixmap);
    }
    return frames;
}

// Watches an animation: the frame the tray shows after each tick, and when.
class AnimationWatch {
public:
    AnimationWatch(AnimatedStatusIcon& animator, const QSystemTrayIcon& tray,
                   const QList<QIcon>& frames)
        : m_animator(animator) {
        m_clock.start();
        m_timer = timers().value(0);
        if (!m_timer)
            return;
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this, &tray, &frames] {
            const auto shown = std::ranges::find(frames, tray.icon().cacheKey(), &QIcon::cacheKey);
            shownFrames << int(shown - frames.begin());
            tickTimes << m_clock.nsecsElapsed() / 1e6;
        });
    }
    QList<QTimer*> timers() const { return m_animator.findChildren<QTimer*>(); }
    bool waitForTicks(int count) {
        return waitUntil([&] { return shownFrames.size() >= count; }, 10000);
    }

    QList<int> shownFrames;
    QList<double> tickTimes; // milliseconds since the watch began
    QTimer* m_timer = nullptr;

private:
    AnimatedStatusIcon& m_animator;
    QElapsedTimer m_clock;
};

TEST(HeartFrames, ScaleWithTheBeatAboutTheCentre) {
    const QList<QIcon> frames = generateHeartFrames(8, 96);
    ASSERT_EQ(frames.size(), 8);
    QList<QRect> boxes;
    for (const QIcon& frame : frames) {
        EXPECT_TRUE(frame.isMask());
        boxes << inkBox(frame, 96);
    }
    // The glyph is wider than tall: heights measure the scale, widths show the clipping.
    const auto scaleOf = [&](int i) { return double(boxes[i].height()) / boxes[0].height(); };
    EXPECT_NEAR(scaleOf(1), 1.0 + 0.2 * std::sin(M_PI / 4), 0.03);
    EXPECT_NEAR(scaleOf(2), 1.2, 0.03);
    EXPECT_NEAR(scaleOf(4), 1.0, 0.03);
    EXPECT_NEAR(scaleOf(6), 0.8, 0.03);
    EXPECT_NEAR(scaleOf(7), scaleOf(5), 0.02);
    EXPECT_GT(boxes[0].height(), 60); // the heart fills most of the canvas
    for (const int i : {0, 4, 6})
        EXPECT_NEAR(boxes[i].center().x() + 0.5, 48, 1.5) << "frame " << i;
    EXPECT_EQ(boxes[2].left(), 0);
    EXPECT_EQ(boxes[2].right(), 95); // the grown heart reaches the edges and is cut there
}

TEST(HeartFrames, DefaultsAndDegenerateCounts) {
    const QList<QIcon> frames = generateHeartFrames();
    ASSERT_EQ(frames.size(), 8);
    const qreal dpr = qGuiApp->devicePixelRatio();
    const QPixmap pixmap = frames[0].pixmap(QSize(18, 18), dpr);
    EXPECT_EQ(pixmap.size(), QSize(18, 18) * dpr);
    EXPECT_FALSE(inkBox(frames[6], 18).isEmpty());
    for (const auto& [count, size] : {std::pair(0, 18.0), {-3, 18.0}, {8, 0.0}, {8, std::nan("")}})
        EXPECT_TRUE(generateHeartFrames(count, size).isEmpty()) << count << " at " << size;
    EXPECT_EQ(generateHeartFrames(1, 18).size(), 1);
}

TEST(AnimatedStatusIcon, CyclesFramesOncePerBeatFromFrameZero) {
    QSystemTrayIcon tray;
    const QList<QIcon> frames = numberedFrames(8);
    tray.setIcon(frames[5]); // the tray's first icon costs time; the beat should not pay for it
    AnimatedStatusIcon animator;
    animator.startAnimation(&tray, frames, 120);
    AnimationWatch watch(animator, tray, frames);
    ASSERT_EQ(watch.timers().size(), 1);
    EXPECT_EQ(tray.icon().cacheKey(), frames[5].cacheKey()) << "no change before the first tick";
    // 62.5 ms a frame: the timer alternates between 62 and 63 to keep the beat.
    EXPECT_GE(watch.m_timer->interval(), 62);
    EXPECT_LE(watch.m_timer->interval(), 63);
    ASSERT_TRUE(watch.waitForTicks(17));
    EXPECT_EQ(watch.shownFrames.first(17),
              QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 0}));
    // Frames never come early; two beats of 16 frames take at least one second.
    EXPECT_GE(watch.tickTimes[15], 16 * 62.5 - 1);
    EXPECT_LT(watch.tickTimes[15], 16 * 62.5 + 1000);

    // A new beat starts over from frame zero, with one timer.
    animator.updateBPM(&tray, frames, 60);
    AnimationWatch slower(animator, tray, frames);
    ASSERT_EQ(slower.timers().size(), 1);
    EXPECT_EQ(slower.m_timer->interval(), 125);
    ASSERT_TRUE(slower.waitForTicks(2));
    EXPECT_EQ(slower.shownFrames.first(2), QList<int>({0, 1}));

    animator.stopAnimation();
    EXPECT_TRUE(watch.timers().isEmpty());
    const qint64 last = tray.icon().cacheKey();
    waitUntil([] { return false; }, 150);
    EXPECT_EQ(tray.icon().cacheKey(), last) << "the last frame stays";
}

TEST(AnimatedStatusIcon, RefusesWhatCannotBeTimed) {
    QSystemTrayIcon tray;
    AnimatedStatusIcon animator;
    animator.stopAnimation(); // idle: harmless
    EXPECT_TRUE(animator.findChildren<QTimer*>().isEmpty());
    const QList<QIcon> frames = numberedFrames(4);
    for (const double bpm : {0.0, -60.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        animator.startAnimation(&tray, frames, 60);
        animator.startAnimation(&tray, frames, bpm);
        EXPECT_TRUE(animator.findChildren<QTimer*>().isEmpty()) << bpm;
    }
    animator.startAnimation(&tray, frames, 60);
    animator.updateBPM(&tray, {}, 60);
    EXPECT_TRUE(animator.findChildren<QTimer*>().isEmpty());
}

TEST(AnimatedStatusIcon, KeepsCountingWithoutAStatusItem) {
    const QList<QIcon> frames = numberedFrames(4);
    AnimatedStatusIcon animator;
    auto tray = std::make_unique<QSystemTrayIcon>();
    animator.startAnimation(tray.get(), frames, 600); // 25 ms a frame
    AnimationWatch watch(animator, *tray, frames);
    ASSERT_TRUE(watch.waitForTicks(1));
    QObject::disconnect(watch.m_timer, nullptr, watch.m_timer, nullptr);
    tray.reset();
    QSignalSpy ticks(watch.m_timer, &QTimer::timeout);
    EXPECT_TRUE(waitUntil([&] { return ticks.size() >= 3; }));

    animator.startAnimation(nullptr, frames, 600);
    ASSERT_EQ(animator.findChildren<QTimer*>().size(), 1);
    QSignalSpy idle(animator.findChildren<QTimer*>()[0], &QTimer::timeout);
    EXPECT_TRUE(waitUntil([&] { return idle.size() >= 3; }));
}

} // namespace
