// The app's icon in a real XEmbed tray (trayer), with no StatusNotifierWatcher on the bus.
#include "HeftwickApp.h"
#include "ShellTestSupport.h"
#include "shell/PanelWindow.h"
#include "shell/TrayHostWatcher.h"
#include "shell/X11Desktop.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(XEmbedTray, TheIconJoinsATrayThatStartsLaterAndThePanelOpensBelowIt) {
    ScopedHome home;
    PilewatchApp app;
    ASSERT_TRUE(launchAndWait(app));
    AppDelegate& delegate = app.appDelegate();
    EXPECT_EQ(delegate.statusItem(), nullptr);

    // A tray bar along the top edge, its icons at the right end.
    constexpr int trayHeight = 24;
    const ChildProcess tray(XEMBED_TRAY, {"--edge", "top", "--align", "right", "--widthtype",
                                          "request", "--height", QString::number(trayHeight),
                                          "--SetDockType", "true", "--transparent", "false"});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto iconInTheTray = [&] {
        const QRect icon = delegate.statusItem() ? delegate.statusItem()->geometry() : QRect();
        return icon.isValid() && icon.bottom() < trayHeight && icon.right() > screen.center().x();
    };
    ASSERT_TRUE(waitUntil(iconInTheTray, 10000)) << "the tray did not embed the icon";
    TrayHostWatcher startedAfterTheTray;
    startedAfterTheTray.start();
    EXPECT_TRUE(waitUntil([&] { return startedAfterTheTray.hasFoundHost(); }));
    EXPECT_EQ(startedAfterTheTray.host(), TrayHostWatcher::Host::xembed);

    // The tooltip: its title, then the state (no Desktop folder in this home).
    EXPECT_EQ(delegate.statusItem()->toolTip(), "Load\nZero KB on the Desktop, 0 items — Light");

    // A click on the icon, as the user makes it: the panel opens under the bar
    // (the dock, not the icon), its right end at the screen's.
    const QRect icon = delegate.statusItem()->geometry();
    const QRect bar = X11Desktop::dockAt(icon.center());
    EXPECT_EQ(bar.top(), 0);
    EXPECT_EQ(bar.height(), trayHeight);
    EXPECT_TRUE(bar.contains(icon));
    PanelWindow& panel = *delegate.popover();
    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(waitUntil([&] { return panel.isVisible(); }));
    EXPECT_EQ(panel.geometry().top(), bar.bottom() + 1 + PanelWindow::anchorGap);
    EXPECT_EQ(panel.geometry().right(), screen.right()) << "not moved inside the screen";
    EXPECT_LE(panel.geometry().left(), icon.left());
}

} // namespace
