// The app on a private X server and session bus: its tray icon with a
// StatusNotifierWatcher of the test's own, and what a screen reader hears.
#include "HeftwickApp.h"
#include "ShellTestSupport.h"
#include "dashboard/LoadGauge.h"
#include "shell/DBusStructure.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/StatusIcon.h"
#include "shell/StatusNotifierItem.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Makes a call without blocking (the test's thread may have to serve it):
// the reply's arguments, or none on an error or no reply in time.
std::optional<QVariantList> callWithoutBlocking(const QDBusMessage& call) {
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    if (!waitUntil([&] { return pending.isFinished(); }) || pending.isError())
        return std::nullopt;
    return pending.reply().arguments();
}

// StatusNotifierWatcherStub.cpp, in its own process so that the app's blocking
// calls to the watcher never wait on the test's thread.
class WatcherProcess : public ChildProcess {
public:
    WatcherProcess() : ChildProcess(STATUS_NOTIFIER_WATCHER_STUB, {}) {}
    bool ready() { return nextLine() == "ready"; } // owns its name on the bus
    // Waits for the next item to register and calls Activate(x, y) on it as a
    // tray host does on a click.
    bool activateNextItem() {
        const QStringList item = nextLine().split(' '); // "item <service> <path>"
        if (item.size() != 3 || item[0] != "item")
            return false;
        m_activate = QDBusMessage::createMethodCall(item[1], item[2], "org.kde.StatusNotifierItem",
                                                    "Activate");
        m_activate << 640 << 12;
        return activateAgain();
    }
    bool activateAgain() { return callWithoutBlocking(m_activate).has_value(); }
    // A property of the item activated last, as the tray host reads it.
    QVariant itemProperty(const QString& name) {
        QDBusMessage get = QDBusMessage::createMethodCall(m_activate.service(), m_activate.path(),
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << m_activate.interface() << name;
        return callWithoutBlocking(get)
            .value_or(QVariantList())
            .value(0)
            .value<QDBusVariant>()
            .variant();
    }

private:
    QDBusMessage m_activate;
};

// The item's menu as a host reads it over com.canonical.dbusmenu: the labels
// of the root's children, "-" for a separator.
QStringList menuLabels(const QString& service) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, "/MenuBar", "com.canonical.dbusmenu", "GetLayout");
    get << 0 << -1 << QStringList();
    const QVariant layout = callWithoutBlocking(get).value_or(QVariantList()).value(1);
    if (!layout.isValid())
        return {"no layout"};
    // (ia{sv}av): the root, then its children as variants of the same structure.
    int id = 0;
    QVariantMap properties;
    QVariantList children, grandchildren;
    readStructure(layout.value<QDBusArgument>(), id, properties, children);
    QStringList labels;
    for (const QVariant& child : std::as_const(children)) {
        readStructure(child.value<QDBusArgument>(), id, properties, grandchildren);
        labels << (properties.value("type") == "separator" ? "-"
                                                           : properties.value("label").toString());
    }
    return labels;
}

// A StatusNotifierItem's ToolTip, (sa(iiay)ss): its title and description.
QStringList toolTipTexts(const QVariant& toolTip) {
    const QDBusArgument argument = toolTip.value<QDBusArgument>();
    if (argument.currentSignature() != "(sa(iiay)ss)")
        return {"signature " + argument.currentSignature()};
    QString iconName, title, description;
    argument.beginStructure();
    argument >> iconName;
    argument.beginArray(); // the pixmaps, skipped
    argument.endArray();
    argument >> title >> description;
    argument.endStructure();
    return {title, description};
}

// Qt picks its tray path once per process: an icon made before the watcher would miss it.
TEST(Tray, AnItemAppearsWithTheWatcherOpensThePanelAtTheHostsPositionAndOffersItInItsMenu) {
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    // Installed, on a desktop with an icon theme.
    ScopedIconTheme icons;
    ASSERT_TRUE(icons.add("symbolic/apps", "io.pilewatch.Pilewatch-symbolic.svg"));
    PilewatchApp app;
    ASSERT_TRUE(launchAndWait(app));
    AppDelegate& delegate = app.appDelegate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.mainWindow()));
    waitUntil([] { return false; }, 300); // lets a tray host check finish
    EXPECT_FALSE(delegate.hasStatusItem());
    EXPECT_EQ(delegate.popover(), nullptr) << "a panel made with no tray to open it";

    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    // The pointer is elsewhere: the panel goes by the host's position, not the pointer's.
    QCursor::setPos(100, 700);
    ASSERT_TRUE(watcher.activateNextItem()) << "no item registered once the watcher appeared";
    ASSERT_TRUE(waitUntil([&] { return delegate.popover() && delegate.popover()->isVisible(); }));
    ASSERT_NE(delegate.notifierItem(), nullptr);
    EXPECT_EQ(delegate.statusItem(), nullptr) << "a second icon in an XEmbed tray";
    PanelWindow& panel = *delegate.popover();
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    const QScreen& screen = *panel.screen();
    const QRect atTheIcon = PanelWindow::placement(QRect(640, 12, 1, 1), {}, screen.geometry(),
                                                   screen.availableGeometry());
    EXPECT_EQ(panel.geometry(), atTheIcon);
    ASSERT_TRUE(watcher.activateAgain());
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible(); }));

    // The host gets the symbolic icon's name, to draw it in the bar's colours,
    // and pixmaps for where it cannot; the tooltip tells the load at a glance.
    EXPECT_EQ(watcher.itemProperty("IconName").toString(), StatusIcon::name);
    EXPECT_EQ(watcher.itemProperty("IconThemePath").toString(), "") << "run from the build folder";
    EXPECT_EQ(watcher.itemProperty("Menu").value<QDBusObjectPath>().path(), "/MenuBar");
    const QDBusArgument pixmaps = watcher.itemProperty("IconPixmap").value<QDBusArgument>();
    EXPECT_EQ(pixmaps.currentSignature(), "a(iiay)");
    ASSERT_TRUE(waitUntil([&] { return delegate.engine().fileCount() == 3; }));
    EXPECT_EQ(toolTipTexts(watcher.itemProperty("ToolTip")),
              QStringList({"Load", "2.41 GB on the Desktop, 3 items — Moderate"}));
    // A publication while the panel is closed reaches the tooltip and leaves
    // the panel asleep.
    const LoadGauge* gauge = panel.findChild<LoadGauge*>();
    ASSERT_NE(gauge, nullptr);
    const QString shownLoad = gauge->accessibleName();
    makeSparseFile(home.homeBytes() + "/Desktop/backup.iso", 600'000'000);
    delegate.engine().scan();
    EXPECT_TRUE(waitUntil([&] {
        return toolTipTexts(watcher.itemProperty("ToolTip")).value(1) ==
               "3.01 GB on the Desktop, 4 items — Moderate";
    }));
    EXPECT_EQ(gauge->accessibleName(), shownLoad) << "the closed panel was refreshed";

    // With an icon the app outlives its window, which the tray menu brings back;
    // the menu also opens the panel, one entry away where a click shows the menu.
    EXPECT_EQ(menuLabels(delegate.notifierItem()->serviceName()),
              QStringList({"Show Load Panel", "Open Pilewatch", "-", "Quit Pilewatch"}));
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    app.mainWindow().close();
    ASSERT_FALSE(app.mainWindow().isVisible());
    const auto click = [&](int id) {
        QDBusMessage event = QDBusMessage::createMethodCall(
            delegate.notifierItem()->serviceName(), "/MenuBar", "com.canonical.dbusmenu", "Event");
        event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        QDBusConnection::sessionBus().asyncCall(event);
    };
    click(2);
    EXPECT_TRUE(waitUntil([&] { return app.mainWindow().isVisible(); }));
    click(1);
    EXPECT_TRUE(waitUntil([&] { return panel.isVisible(); }));
    EXPECT_EQ(panel.geometry(), atTheIcon) << "not where the icon was last seen";
}

// The real executable with its AT-SPI bridge on.
ChildProcess startAccessiblePilewatch() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    return ChildProcess(PILEWATCH_EXECUTABLE, {}, environment);
}

// Opened from the tray, the panel takes the keyboard focus, where a screen
// reader meets it: atspi_check.py hears every text of the sample Desktop there.
TEST(Accessibility, ThePanelOpenedFromTheTrayReadsOutItsTexts) {
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    const QStringList texts{"Pilewatch",        "Pressure gauge for your files",
                            "Status: Moderate", "Desktop load: 2.41 GB, 3 items, Moderate",
                            "Old Files",        "Archive All",
                            "Rescan",           "BREAKDOWN",
                            "Videos",           "Documents",
                            "HEAVIEST ITEMS",   "holiday.mov",
                            "report.pdf",       "12 MB"};
    ChildProcess reader(SYSTEM_PYTHON3,
                        QStringList{ATSPI_CHECK_SCRIPT, "texts", "Pilewatch load panel", "30"} +
                            texts);
    ASSERT_EQ(reader.nextLine(10000), "listening") << reader.output();
    ChildProcess app = startAccessiblePilewatch();
    EXPECT_TRUE(watcher.activateNextItem()) << "the app registered no tray item";
    EXPECT_TRUE(reader.succeeds(60'000)) << reader.output() << "\napp output:\n" << app.output();
}

// Selected through the accessibility interfaces or its action, a sidebar row
// shows its page, only one row is ever selected, and the arrow keys go on from
// it; atspi_check.py drives it and checks each step.
TEST(Accessibility, TheSidebarShowsThePageOfARowSelectedClickedOrSteppedTo) {
    ScopedHome home;
    ChildProcess driver(SYSTEM_PYTHON3, {ATSPI_CHECK_SCRIPT, "sidebar", "30"});
    ASSERT_EQ(driver.nextLine(10000), "listening") << driver.output();
    ChildProcess app = startAccessiblePilewatch();
    EXPECT_TRUE(driver.succeeds(90'000)) << driver.output() << "\napp output:\n" << app.output();
}

} // namespace
