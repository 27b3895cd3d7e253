// The app's icon in a real XEmbed tray on a private X server (and a session
// bus without any StatusNotifierWatcher): the tray tells where the icon is,
// and the panel opens right below it.
#include "ChildProcess.h"
#include "HeftwickApp.h"
#include "SampleDesktop.h"
#include "TestEnvironment.h"
#include "shell/PanelWindow.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int trayHeight = 24;

TEST(XEmbedTray, ThePanelOpensBelowTheIconThatTheTrayPlaced) {
    // A tray bar along the top edge, its icons at the right end.
    const ChildProcess tray(XEMBED_TRAY, {"--edge", "top", "--align", "right", "--widthtype",
                                          "request", "--height", QString::number(trayHeight),
                                          "--SetDockType", "true", "--transparent", "false"});
    ASSERT_TRUE(tray.running());
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    PilewatchApp app;
    app.launch();
    AppDelegate& delegate = app.appDelegate();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto iconInTheTray = [&] {
        const QRect icon = delegate.statusItem() ? delegate.statusItem()->geometry() : QRect();
        return icon.isValid() && icon.bottom() < trayHeight && icon.right() > screen.center().x();
    };
    ASSERT_TRUE(waitUntil(iconInTheTray, 10000)) << "the tray did not embed the icon";
    ASSERT_TRUE(waitUntil([&] { return delegate.engine().fileCount() == 3; }));

    const QRect icon = delegate.statusItem()->geometry();
    PanelWindow& panel = *delegate.popover();
    delegate.togglePopover();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.geometry().top(), icon.bottom() + 1 + PanelWindow::anchorGap);
    EXPECT_EQ(panel.geometry().right(), screen.right()) << "not moved inside the screen";
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    QGuiApplication::primaryScreen()->grabWindow(0).save(screenshotPath("tray-xembed.png"));

    delegate.togglePopover();
    EXPECT_FALSE(panel.isVisible());
}

} // namespace
