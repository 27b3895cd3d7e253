// The app on a private X server and session bus: its tray icon with a
// StatusNotifierWatcher of the test's own, and what a screen reader hears.
#include "HeftwickApp.h"
#include "ShellTestSupport.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// StatusNotifierWatcherStub.cpp, in its own process so that the app's blocking
// calls to the watcher never wait on the test's thread.
class WatcherProcess : public ChildProcess {
public:
    WatcherProcess() : ChildProcess(STATUS_NOTIFIER_WATCHER_STUB, {}) {}
    bool ready() { return nextLine() == "ready"; } // owns its name on the bus
    // Waits for the next item to register and calls Activate(x, y) on it as a
    // tray host does on a click, without blocking: the test's thread may serve it.
    bool activateNextItem() {
        const QStringList item = nextLine().split(' '); // "item <service> <path>"
        if (item.size() != 3 || item[0] != "item")
            return false;
        m_activate = QDBusMessage::createMethodCall(item[1], item[2], "org.kde.StatusNotifierItem",
                                                    "Activate");
        m_activate << 640 << 12;
        return activateAgain();
    }
    bool activateAgain() {
        const QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(m_activate);
        return waitUntil([&] { return call.isFinished(); }) && !call.isError();
    }
    // A property of the item activated last, as the tray host reads it.
    QVariant itemProperty(const QString& name) {
        QDBusMessage get = QDBusMessage::createMethodCall(m_activate.service(), m_activate.path(),
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << m_activate.interface() << name;
        QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(get);
        if (!waitUntil([&] { return call.isFinished(); }) || call.isError())
            return {};
        return call.reply().arguments().value(0).value<QDBusVariant>().variant();
    }

private:
    QDBusMessage m_activate;
};

// Qt picks its tray path once per process: an icon made before the watcher would miss it.
TEST(Tray, AnIconAppearsWithTheWatcherActivatingItTogglesThePanelAndItsMenuShowsTheWindow) {
    ScopedHome home;
    // Installed, on a desktop with an icon theme.
    ScopedIconTheme icons;
    ASSERT_TRUE(icons.add("symbolic/apps", "io.pilewatch.Pilewatch-symbolic.svg"));
    PilewatchApp app;
    ASSERT_TRUE(launchAndWait(app));
    AppDelegate& delegate = app.appDelegate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.mainWindow()));
    waitUntil([] { return false; }, 300); // lets a tray host check finish
    EXPECT_EQ(delegate.statusItem(), nullptr);
    EXPECT_EQ(delegate.popover(), nullptr) << "a panel made with no tray to open it";

    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    ASSERT_TRUE(watcher.activateNextItem()) << "no item registered once the watcher appeared";
    ASSERT_TRUE(waitUntil([&] { return delegate.popover() && delegate.popover()->isVisible(); }));
    PanelWindow& panel = *delegate.popover();
    EXPECT_EQ(delegate.statusItem()->toolTip(), "Load");
    EXPECT_FALSE(delegate.statusItem()->icon().isNull());
    // The host gets the symbolic icon's name, to draw it in the panel's colours.
    EXPECT_EQ(watcher.itemProperty("IconName").toString(), AppDelegate::statusIconName);
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    // The D-Bus tray tells no icon geometry: the panel opens by the pointer.
    EXPECT_EQ(panel.geometry(), PanelWindow::placement(QRect(QCursor::pos(), QSize(1, 1)),
                                                       panel.screen()->availableGeometry()));
    ASSERT_TRUE(watcher.activateAgain());
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible(); }));

    // With an icon the app outlives its window, which the tray menu brings back.
    QMenu* menu = delegate.statusItem()->contextMenu();
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(texts, QStringList({"Open Pilewatch", "Quit Pilewatch"}));
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    app.mainWindow().close();
    ASSERT_FALSE(app.mainWindow().isVisible());
    menu->actions().first()->trigger();
    EXPECT_TRUE(app.mainWindow().isVisible());
}

TEST(SingleInstance, ASecondStartHandsOverToTheRunningPilewatchAndLeaves) {
    ScopedHome home;
    ChildProcess first(PILEWATCH_EXECUTABLE, {});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(waitUntil([&] { return bus->isServiceRegistered("io.pilewatch.Pilewatch"); }))
        << first.output();
    ChildProcess second(PILEWATCH_EXECUTABLE, {});
    EXPECT_TRUE(second.succeeds(5000)) << second.output();
    EXPECT_TRUE(bus->isServiceRegistered("io.pilewatch.Pilewatch")) << first.output();
}

// The real executable with its AT-SPI bridge on.
ChildProcess startAccessiblePilewatch() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    return ChildProcess(PILEWATCH_EXECUTABLE, {}, environment);
}

// Whether accessible_texts.py finds every expected text in the window named windowName
// of the real executable, its AT-SPI bridge on, showing the sample Desktop.
void expectScreenReaderHears(
    const QString& windowName, const QStringList& expected,
    const std::function<void()>& onceStarted = [] {}) {
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    ChildProcess reader(SYSTEM_PYTHON3,
                        QStringList{ACCESSIBLE_TEXTS_SCRIPT, windowName, "30"} + expected);
    ASSERT_EQ(reader.nextLine(10000), "listening") << reader.output();
    ChildProcess app = startAccessiblePilewatch();
    onceStarted();
    EXPECT_TRUE(reader.succeeds(60'000)) << reader.output() << "\napp output:\n" << app.output();
}

const QString gaugeName = QStringLiteral("Desktop load: 2.41 GB, 3 items, Moderate");

TEST(Accessibility, TheMainWindowReadsOutItsSidebarAndDashboard) {
    expectScreenReaderHears(
        "Pilewatch",
        {"Sidebar", "Overview", "Dashboard", "Files", "Actions", "Cleanup", "Pilewatch Monitor",
         gaugeName, "Clean Old", "Archive", "Rescan", "Moves files older than 30 days to trash",
         "What's Taking Up Space?", "BREAKDOWN", "Videos", "2.4 GB", "Current Status: Moderate",
         "Your desktop has a moderate amount of files. Consider organizing into folders or "
         "archiving old items to keep your workspace efficient."});
}

// Opened from the tray, the panel takes the keyboard focus, where a screen reader meets it.
TEST(Accessibility, ThePanelOpenedFromTheTrayReadsOutItsTexts) {
    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    expectScreenReaderHears(
        "Pilewatch load panel",
        {"Pilewatch", "Pressure gauge for your files", "Status: Moderate", gaugeName, "Old Files",
         "Archive All", "Rescan", "BREAKDOWN", "Videos", "Documents", "HEAVIEST ITEMS",
         "holiday.mov", "report.pdf", "12 MB"},
        [&] { EXPECT_TRUE(watcher.activateNextItem()) << "the app registered no tray item"; });
}

// Selected through the accessibility interfaces, clicked, or stepped to with
// the arrow keys, a sidebar row shows its page, and only one row is ever
// selected; sidebar_over_atspi.py drives it and checks each step.
TEST(Accessibility, TheSidebarShowsThePageOfARowSelectedClickedOrSteppedTo) {
    ScopedHome home;
    ChildProcess driver(SYSTEM_PYTHON3, {SIDEBAR_OVER_ATSPI_SCRIPT, "30"});
    ASSERT_EQ(driver.nextLine(10000), "listening") << driver.output();
    ChildProcess app = startAccessiblePilewatch();
    EXPECT_TRUE(driver.succeeds(90'000)) << driver.output() << "\napp output:\n" << app.output();
}

} // namespace
