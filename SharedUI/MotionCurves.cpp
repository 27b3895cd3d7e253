#include "MotionCurves.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace Motion {

double steadySeconds() {
    static const QElapsedTimer start = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return double(start.nsecsElapsed()) / 1e9;
}

void useFrameInterval(QTimer& timer) {
    timer.setInterval(16);
    timer.setTimerType(Qt::PreciseTimer);
}

namespace {

// The spring's natural and damped angular frequencies.
struct SpringFrequencies {
    double decay;  // zeta * omega0
    double damped; // omega0 * sqrt(1 - zeta^2)
};

SpringFrequencies frequencies(const SpringMotion& s) {
    const double omega0 = 2 * std::numbers::pi / s.response;
    const double zeta = std::clamp(s.dampingFraction, 0.0, 0.999);
    return {zeta * omega0, omega0 * std::sqrt(1 - zeta * zeta)};
}

} // namespace

// Underdamped step response with an initial velocity:
//   x(t) = to + e^(-decay t) (A cos(wd t) + B sin(wd t)),
//   A = from - to, B = (v0 + decay A) / wd.
double SpringMotion::value(double elapsed) const {
    const auto [decay, wd] = frequencies(*this);
    const double a = from - to;
    const double b = (velocity + decay * a) / wd;
    return to +
           std::exp(-decay * elapsed) * (a * std::cos(wd * elapsed) + b * std::sin(wd * elapsed));
}

double SpringMotion::velocityAt(double elapsed) const {
    const auto [decay, wd] = frequencies(*this);
    const double a = from - to;
    const double b = (velocity + decay * a) / wd;
    const double c = std::cos(wd * elapsed);
    const double s = std::sin(wd * elapsed);
    return std::exp(-decay * elapsed) * ((b * wd - decay * a) * c - (a * wd + decay * b) * s);
}

bool SpringMotion::settled(double elapsed) const {
    // The envelope bounds every later deviation, so once it is small the
    // motion is over for good.
    const auto [decay, wd] = frequencies(*this);
    const double a = from - to;
    const double b = (velocity + decay * a) / wd;
    return std::exp(-decay * elapsed) * std::hypot(a, b) < 1e-4;
}

double easeInOut(double progress) {
    const double x = std::clamp(progress, 0.0, 1.0);
    // Solve the Bézier's x(u) = x for u by Newton steps, then return y(u).
    constexpr double x1 = 0.42, x2 = 0.58;
    const auto bezier = [](double p1, double p2, double u) {
        const double v = 1 - u;
        return 3 * v * v * u * p1 + 3 * v * u * u * p2 + u * u * u;
    };
    const auto slope = [](double p1, double p2, double u) {
        const double v = 1 - u;
        return 3 * v * v * p1 + 6 * v * u * (p2 - p1) + 3 * u * u * (1 - p2);
    };
    double u = x;
    for (int i = 0; i < 8; ++i) {
        const double d = slope(x1, x2, u);
        if (std::fabs(d) < 1e-9)
            break;
        u = std::clamp(u - (bezier(x1, x2, u) - x) / d, 0.0, 1.0);
    }
    return bezier(0.0, 1.0, u);
}

double pulse(double elapsed, double low, double high, double period) {
    const double phase = std::fmod(std::max(elapsed, 0.0), 2 * period) / period;
    const double progress = phase <= 1 ? phase : 2 - phase;
    return low + (high - low) * easeInOut(progress);
}

} // namespace Motion
