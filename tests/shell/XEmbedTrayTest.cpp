// The app's icon in a real XEmbed tray (trayer), with no StatusNotifierWatcher on the bus.
#include "HeftwickApp.h"
#include "ShellTestSupport.h"
#include "shell/PanelWindow.h"
#include "shell/TrayHostWatcher.h"

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
    EXPECT_TRUE(startedAfterTheTray.hasFoundHost());

    const QRect icon = delegate.statusItem()->geometry();
    PanelWindow& panel = *delegate.popover();
    delegate.togglePopover();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.geometry().top(), icon.bottom() + 1 + PanelWindow::anchorGap);
    EXPECT_EQ(panel.geometry().right(), screen.right()) << "not moved inside the screen";
    QGuiApplication::primaryScreen()->grabWindow(0).save(screenshotPath("tray-xembed.png"));
    delegate.togglePopover();
    EXPECT_FALSE(panel.isVisible());
}

} // namespace
