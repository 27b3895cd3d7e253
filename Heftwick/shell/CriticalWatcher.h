#pragma once

#include <QObject>

class LoadEngine;

// Watches the engine's publications for the moment the Desktop crosses from a
// lower status into Critical. The first publication of a run only sets the
// starting point: the app keeps no state between runs, so a Desktop already
// Critical at start is shown, not announced. After a crossing, the next one
// counts only once the load has gone a margin below Critical's threshold, so a
// Desktop hovering at the line is announced once.
class CriticalWatcher : public QObject {
    Q_OBJECT

public:
    // Where Heavy ends and Critical begins (LoadEngine::statusFor), and how
    // far below it, as a share of the maximum load (about 0.5 GB), the load
    // must go before a new crossing counts.
    static constexpr double heavyUpperBound = 0.7;
    static constexpr double rearmMargin = 0.05;

    explicit CriticalWatcher(const LoadEngine& engine, QObject* parent = nullptr);

signals:
    void crossedIntoCritical(qint64 totalBytes);

private:
    void published();

    const LoadEngine& m_engine;
    bool m_started = false;
    bool m_armed = false;
};
