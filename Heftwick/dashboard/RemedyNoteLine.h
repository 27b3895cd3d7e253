#pragma once

#include "dashboard/DesktopNotifier.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class LoadEngine;
class QHBoxLayout;
class ToneLabel;
struct RemedyOutcome;
struct RemedyReport;

// A quiet line under a view's remedies. A remedy run through it is announced
// as a desktop notification; where no notification server shows it, the same
// words appear here instead, with the same actions (Undo, Open Folder), for
// a minute. Hidden while it has nothing to say.
class RemedyNoteLine : public QWidget {
    Q_OBJECT

public:
    static constexpr int lingerMs = 60'000;

    explicit RemedyNoteLine(LoadEngine& engine, QWidget* parent = nullptr);

    // Runs one of the engine's remedies and announces what it did.
    void run(const std::function<void()>& remedy);
    // Shows a report with its actions, until lingerMs pass or another arrives.
    void showReport(const RemedyReport& report, const QList<DesktopNotifier::Action>& actions);

private:
    void remedyFinished(const RemedyOutcome& outcome);
    void clear();

    LoadEngine& m_engine;
    ToneLabel* m_text;
    QHBoxLayout* m_actions;
    QTimer m_linger;
    bool m_running = false;
};
