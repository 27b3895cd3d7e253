// The tray end to end, on a private X server and session bus: the app's
// icon, registered with a StatusNotifierWatcher of the test's own, opens and
// closes the panel when activated the way a tray host does on a click.
#include "HeftwickApp.h"
#include "SampleDesktop.h"
#include "TestEnvironment.h"
#include "WatcherProcess.h"
#include "shell/MainWindowView.h"
#include "shell/Palette.h"
#include "shell/PanelWindow.h"
#include "shell/Sidebar.h"
#include "shell/TrayHostWatcher.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/xcb.h>

namespace {

// Lets queued work run for a while when nothing in particular is awaited.
void settle() {
    waitUntil([] { return false; }, 300);
}

// First in this process on purpose: Qt decides its tray path once, so this
// is the case where an icon made too early would never reach the watcher.
TEST(TrayApp, WithoutATrayHostTheMainWindowServesAloneUntilAWatcherAppears) {
    ScopedHome home;
    PilewatchApp app;
    app.launch();
    AppDelegate& delegate = app.appDelegate();
    ASSERT_TRUE(waitUntil([&] { return delegate.popover() != nullptr; }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.mainWindow()));
    settle();
    EXPECT_EQ(delegate.statusItem(), nullptr);
    app.mainWindow().sidebar()->setSelectedTab(2);
    EXPECT_EQ(app.mainWindow().currentTab()->accessibleName(), "Cleanup");

    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    const std::optional<WatcherProcess::Item> item = watcher.nextItem();
    ASSERT_TRUE(item.has_value()) << "no item registered once the watcher appeared";
    ASSERT_NE(delegate.statusItem(), nullptr);
    ASSERT_TRUE(activate(*item));
    EXPECT_TRUE(waitUntil([&] { return delegate.popover()->isVisible(); }));
    delegate.popover()->close();
}

TEST(TrayApp, ActivatingTheRegisteredItemOpensThePanelAndActivatingAgainClosesIt) {
    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    PilewatchApp app;
    app.launch();
    const std::optional<WatcherProcess::Item> item = watcher.nextItem();
    ASSERT_TRUE(item.has_value()) << "the app registered no item";
    AppDelegate& delegate = app.appDelegate();
    ASSERT_NE(delegate.statusItem(), nullptr);
    EXPECT_EQ(delegate.statusItem()->toolTip(), "Load");
    EXPECT_FALSE(delegate.statusItem()->icon().isNull());
    ASSERT_TRUE(waitUntil([&] { return delegate.engine().fileCount() == 3; }));

    PanelWindow& panel = *delegate.popover();
    EXPECT_FALSE(panel.isVisible());
    ASSERT_TRUE(activate(*item));
    ASSERT_TRUE(waitUntil([&] { return panel.isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.size(), QSize(380, 540));
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    EXPECT_EQ(Palette::appearanceOf(panel.palette()), Palette::Appearance::dark);
    // The D-Bus tray tells no icon geometry: the panel opens by the pointer.
    const QRect screen = panel.screen()->availableGeometry();
    EXPECT_EQ(panel.geometry(), PanelWindow::placement(QRect(QCursor::pos(), QSize(1, 1)), screen));
    EXPECT_TRUE(screen.contains(panel.geometry()));
    settle();
    QGuiApplication::primaryScreen()->grabWindow(0).save(screenshotPath("tray-session.png"));

    ASSERT_TRUE(activate(*item));
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible(); }));
}

TEST(TrayApp, WithAnIconTheAppOutlivesItsWindowAndTheTrayMenuBringsItBack) {
    WatcherProcess watcher;
    ASSERT_TRUE(watcher.ready());
    ScopedHome home;
    PilewatchApp app;
    app.launch();
    ASSERT_TRUE(watcher.nextItem().has_value());
    QMenu* menu = app.appDelegate().statusItem()->contextMenu();
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

// An XEmbed tray manager of the test's own: takes the tray selection on its
// own X connection and announces it on the root window, as a real one does.
class XEmbedTrayManager {
public:
    XEmbedTrayManager() : m_connection(xcb_connect(nullptr, &m_screen)) {
        EXPECT_EQ(xcb_connection_has_error(m_connection), 0);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screen; ++i)
            xcb_screen_next(&screens);
        const xcb_window_t root = screens.data->root;
        const xcb_window_t owner = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, owner, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S" + QByteArray::number(m_screen));
        xcb_set_selection_owner(m_connection, owner, selection, XCB_CURRENT_TIME);

        xcb_client_message_event_t announcement{};
        announcement.response_type = XCB_CLIENT_MESSAGE;
        announcement.format = 32;
        announcement.window = root;
        announcement.type = atom("MANAGER");
        announcement.data.data32[0] = XCB_CURRENT_TIME;
        announcement.data.data32[1] = selection;
        announcement.data.data32[2] = owner;
        xcb_send_event(m_connection, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&announcement));
        roundTrip();
    }
    ~XEmbedTrayManager() { xcb_disconnect(m_connection); }

private:
    xcb_atom_t atom(const QByteArray& name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()),
            nullptr);
        const xcb_atom_t result = reply->atom;
        std::free(reply);
        return result;
    }
    // Waits until the server has handled every request sent so far.
    void roundTrip() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    int m_screen = 0;
    xcb_connection_t* m_connection;
};

TEST(TrayHostWatcher, FindsAnXEmbedTrayManagerThatAppearsOrIsAlreadyThere) {
    TrayHostWatcher before;
    before.start();
    settle();
    EXPECT_FALSE(before.hasFoundHost());

    const XEmbedTrayManager manager;
    EXPECT_TRUE(waitUntil([&] { return before.hasFoundHost(); }));
    TrayHostWatcher after;
    after.start();
    EXPECT_TRUE(after.hasFoundHost());
}

} // namespace
