#pragma once

#include <functional>

class QTimer;

// The kit's animation curves as pure functions of elapsed time, so a widget's
// look at any moment follows from the clock alone and tests can sample it.
namespace Motion {

// A clock in seconds. Widgets read their animation time through one, so tests
// can step it by hand.
using Clock = std::function<double()>;
// Seconds on the monotonic clock.
double steadySeconds();

// Sets a timer to tick once per animation frame (every 16 ms, up to 60 frames
// per second), precisely.
void useFrameInterval(QTimer& timer);

// A damped spring moving a value from `from` (with an initial velocity, units
// per second) towards `to`. `response` is the period of the undamped spring in
// seconds, `dampingFraction` its damping ratio (below 1 it overshoots once
// slightly and settles).
struct SpringMotion {
    double from = 1.0;
    double velocity = 0.0;
    double to = 1.0;
    double response = 0.3;
    double dampingFraction = 0.6;

    double value(double elapsed) const;
    double velocityAt(double elapsed) const;
    // True once the value stays within a ten-thousandth of the target.
    bool settled(double elapsed) const;
};

// Smooth start and end over 0..1 (the cubic Bézier 0.42, 0, 0.58, 1).
double easeInOut(double progress);

// A value that swings from `low` to `high` over `period` seconds with ease-in-out
// and back again, forever, starting at `low`.
double pulse(double elapsed, double low, double high, double period);

} // namespace Motion
