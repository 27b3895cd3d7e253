// pilewatch-panel-bench: how long the tray panel takes to open, from the
// click to its first complete paint, fresh and after publications it missed
// while closed (it catches up as it opens).
//
//   pilewatch-panel-bench DESKTOP_DIR
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "EngineWait.h"
#include "dashboard/LoadDashboard.h"
#include "shell/PanelWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int openings = 20;

// Counts the panel content's paints.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && !waited.hasExpired(30'000))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// Milliseconds from opening the closed panel to its first paint.
double openMs(PanelWindow& panel, PaintCounter& counter) {
    const int before = counter.paints;
    QElapsedTimer timer;
    timer.start();
    panel.toggle(QRect(300, 0, 24, 24));
    waitFor([&] { return counter.paints > before; });
    return double(timer.nsecsElapsed()) / 1e6;
}

void print(const char* title, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-40s median %5.1f ms  worst %5.1f ms  (%zu openings)   target < 50 ms\n", title,
                ms[ms.size() / 2], ms.back(), ms.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns on every raise and keyboard grab.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: pilewatch-panel-bench DESKTOP_DIR\n", stderr);
        return 2;
    }
    LoadEngine engine{QByteArray(argv[1])};
    const auto scanned = [&] { return runAndWait(engine, [&] { engine.scan(); }); };
    if (!scanned())
        return 1;

    QElapsedTimer built;
    built.start();
    PanelWindow panel(new LoadDashboard(engine));
    const double buildMs = double(built.nsecsElapsed()) / 1e6;
    PaintCounter counter;
    panel.findChild<LoadDashboard*>()->installEventFilter(&counter);

    std::vector<double> unchanged, caughtUp;
    for (int i = 0; i < openings; ++i) {
        unchanged.push_back(openMs(panel, counter));
        panel.close();
        scanned(); // published while the panel is closed
        caughtUp.push_back(openMs(panel, counter));
        panel.close();
    }
    std::printf("\ntray panel on %s (%s platform):\n  made with the tray icon in %.1f ms\n",
                argv[1], qPrintable(QGuiApplication::platformName()), buildMs);
    print("opening, nothing published meanwhile:", unchanged);
    print("opening after a publication missed:", caughtUp);
    return 0;
}
