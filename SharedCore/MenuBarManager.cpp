#include "MenuBarManager.h"

#include "Platform/Symbols.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace std::chrono_literals;

namespace {

// The time between frames, or nothing when the rate or the frame list cannot
// give one. Kept between a millisecond and a span the clock can hold.
std::optional<std::chrono::nanoseconds> frameInterval(double bpm, qsizetype frameCount) {
    if (frameCount <= 0 || !(bpm > 0) || !std::isfinite(bpm))
        return std::nullopt;
    const double nanoseconds = 60e9 / bpm / static_cast<double>(frameCount);
    constexpr double longest = static_cast<double>(std::numeric_limits<qint64>::max()) / 4;
    return std::chrono::nanoseconds(static_cast<qint64>(std::clamp(nanoseconds, 1e6, longest)));
}

QIcon heartFrame(qreal size, qreal scale, qreal dpr) {
    const int pixels = static_cast<int>(std::ceil(size * dpr));
    QPixmap canvas(pixels, pixels);
    canvas.setDevicePixelRatio(dpr);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        // The symbol font comes in whole pixel sizes; scaling the painter gives
        // the heart its exact side of size × scale, centred on the canvas.
        const int base = std::max(1, qRound(size));
        const qreal side = size * scale;
        painter.translate(size / 2, size / 2);
        painter.scale(side / base, side / base);
        Symbols::draw(painter, QRectF(-base / 2.0, -base / 2.0, base, base),
                      QStringLiteral("heart.fill"), Qt::black, base);
    }
    QIcon icon(canvas);
    icon.setIsMask(true);
    return icon;
}

} // namespace

void configureAsMenuBarOnlyApp() {
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

AnimatedStatusIcon::AnimatedStatusIcon(QObject* parent) : QObject(parent) {}

void AnimatedStatusIcon::startAnimation(QSystemTrayIcon* statusItem, QList<QIcon> frames,
                                        double bpm) {
    stopAnimation();
    const auto interval = frameInterval(bpm, frames.size());
    if (!interval)
        return;
    m_statusItem = statusItem;
    m_frames = std::move(frames);
    m_frameInterval = *interval;
    m_nextTick = Clock::now() + *interval;
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &AnimatedStatusIcon::tick);
    arm();
}

void AnimatedStatusIcon::updateBPM(QSystemTrayIcon* statusItem, QList<QIcon> frames, double bpm) {
    startAnimation(statusItem, std::move(frames), bpm);
}

void AnimatedStatusIcon::stopAnimation() {
    delete m_timer;
    m_timer = nullptr;
    m_frameIndex = 0;
    m_statusItem.clear();
    m_frames.clear();
}

void AnimatedStatusIcon::tick() {
    const Clock::time_point now = Clock::now();
    if (now < m_nextTick) { // a wait longer than the timer can take at once
        arm();
        return;
    }
    if (m_statusItem)
        m_statusItem->setIcon(m_frames.at(m_frameIndex % m_frames.size()));
    ++m_frameIndex;
    m_nextTick += m_frameInterval;
    // After a stall the beat starts afresh rather than rushing through the missed frames.
    if (m_nextTick <= now)
        m_nextTick = now + m_frameInterval;
    arm();
}

// Sets the timer for the next tick, rounding up so that no frame comes early.
void AnimatedStatusIcon::arm() {
    const auto remaining = std::max<Clock::duration>(m_nextTick - Clock::now(), 0ns);
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(remaining);
    m_timer->start(
        std::min(milliseconds, std::chrono::milliseconds(std::numeric_limits<int>::max())));
}

QList<QIcon> generateHeartFrames(int count, qreal size) {
    QList<QIcon> frames;
    if (count <= 0 || !(size > 0) || !std::isfinite(size))
        return frames;
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (int i = 0; i < count; ++i) {
        const double phase = static_cast<double>(i) / count;
        frames << heartFrame(size, 1.0 + std::sin(2 * std::numbers::pi * phase) * 0.2, dpr);
    }
    return frames;
}
