// What a screen reader hears: the real pilewatch executable runs on a private
// X server and session bus with Qt's AT-SPI bridge on, and a separate process
// reads its windows over AT-SPI with pyatspi, as Orca would.
#include "ChildProcess.h"
#include "SampleDesktop.h"
#include "TestEnvironment.h"
#include "WatcherProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

const QString accessibilityBus = QStringLiteral("org.a11y.Bus");
constexpr int readTimeoutSeconds = 30;

bool accessibilityBusUp() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(accessibilityBus);
}

// The AT-SPI reader (accessible_texts.py) as a separate process, as a screen
// reader is.
class ScreenReader {
public:
    // Reads the window selected by target ("--window" with "--pid", or
    // "--focused-window") for the expected texts.
    ScreenReader(const QStringList& target, const QStringList& expected) {
        m_process.start(SYSTEM_PYTHON3, QStringList{ACCESSIBLE_TEXTS_SCRIPT, "--timeout",
                                                    QString::number(readTimeoutSeconds)} +
                                            target + expected);
    }

    // For "--focused-window": true once it listens for focus changes.
    bool listening() {
        return waitUntil([&] { return m_process.canReadLine(); }, 10000) &&
               m_process.readLine().trimmed() == "listening";
    }
    // For "--focused-window": the app whose focus to follow.
    void follow(qint64 pid) {
        m_process.write(QByteArray::number(pid) + '\n');
        m_process.closeWriteChannel();
    }

    // Whether every expected text was read before the deadline, and the
    // reader's report.
    std::pair<bool, QString> result() {
        if (!m_process.waitForFinished((readTimeoutSeconds + 30) * 1000) ||
            m_process.exitStatus() != QProcess::NormalExit)
            return {false, "the reader did not finish: " + m_process.errorString() +
                               QString::fromUtf8(m_process.readAllStandardError())};
        return {m_process.exitCode() == 0, QString::fromUtf8(m_process.readAllStandardOutput() +
                                                             m_process.readAllStandardError())};
    }

private:
    QProcess m_process;
};

class Accessibility : public ::testing::Test {
protected:
    // One accessibility bus for the whole session, as a desktop has: started
    // here unless the session already runs one.
    static void SetUpTestSuite() {
        if (accessibilityBusUp())
            return;
        s_busLauncher = std::make_unique<ChildProcess>(AT_SPI_BUS_LAUNCHER,
                                                       QStringList{"--launch-immediately"});
    }
    static void TearDownTestSuite() { s_busLauncher.reset(); }

    void SetUp() override {
        ASSERT_TRUE(waitUntil(accessibilityBusUp, 10000))
            << "no accessibility bus (" << AT_SPI_BUS_LAUNCHER << ")";
        ASSERT_TRUE(putSampleDesktop(home));
    }

    // Starts the app in the temporary home with its AT-SPI bridge on.
    std::unique_ptr<ChildProcess> startApp() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        return std::make_unique<ChildProcess>(PILEWATCH_EXECUTABLE, QStringList{}, environment);
    }

    static void expectRead(ScreenReader& reader, ChildProcess& app) {
        const auto [found, report] = reader.result();
        EXPECT_TRUE(found) << report.toStdString() << "\napp output:\n"
                           << app.output().toStdString();
    }

    const QString gaugeName = QStringLiteral("Desktop load: 2.41 GB, 3 items, Moderate");
    ScopedHome home;

private:
    static inline std::unique_ptr<ChildProcess> s_busLauncher;
};

TEST_F(Accessibility, TheMainWindowReadsOutItsSidebarAndDashboard) {
    const std::unique_ptr<ChildProcess> app = startApp();
    ASSERT_TRUE(app->running()) << app->output().toStdString();
    ScreenReader reader(
        {"--window", "Pilewatch", "--pid", QString::number(app->pid())},
        {"Overview",
         "Dashboard",
         "Files",
         "Actions",
         "Cleanup",
         "Pilewatch Monitor",
         "Visualize your desktop clutter and clean it with one click",
         gaugeName,
         "The gauge shows your Pilewatch. Green = clean, Red = cluttered. Max load is 10 GB.",
         "Clean Old",
         "Archive",
         "Rescan",
         "Moves files older than 30 days to trash",
         "What's Taking Up Space?",
         "BREAKDOWN",
         "Videos",
         "2.4 GB",
         "What Does This Mean?",
         "Current Status: Moderate",
         "Your desktop has a moderate amount of files. Consider organizing into folders or "
         "archiving old items to keep your workspace efficient."});
    expectRead(reader, *app);
}

// Toolkits leave popups out of an application's list of windows: a screen
// reader meets the panel where the keyboard focus goes when it opens.
TEST_F(Accessibility, ThePanelOpenedFromTheTrayTakesTheFocusAndReadsOutItsTexts) {
    ScreenReader reader({"--focused-window", "Pilewatch load panel"},
                        {"Pilewatch", "Pressure gauge for your files", "Status: Moderate",
                         gaugeName, "Old Files", "Archive All", "Rescan", "BREAKDOWN", "Videos",
                         "Documents", "HEAVIEST ITEMS", "holiday.mov", "report.pdf", "12 MB"});
    ASSERT_TRUE(reader.listening());
    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    const std::unique_ptr<ChildProcess> app = startApp();
    reader.follow(app->pid());
    const std::optional<WatcherProcess::Item> item = watcher.nextItem();
    ASSERT_TRUE(item.has_value()) << "the app registered no tray item\n"
                                  << app->output().toStdString();
    ASSERT_TRUE(activate(*item));
    expectRead(reader, *app);
}

} // namespace
