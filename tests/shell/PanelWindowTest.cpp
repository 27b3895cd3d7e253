#include "shell/PanelWindow.h"

#include "HeftwickApp.h"
#include "SampleDesktop.h"
#include "TestEnvironment.h"
#include "shell/Palette.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QRect screenArea(0, 0, 1280, 800);
// Where a tray icon might sit on the offscreen platform's 800 × 600 screen.
const QRect trayIcon(300, 0, 24, 24);

TEST(PanelPlacement, CentresThePanelBelowTheAnchor) {
    EXPECT_EQ(PanelWindow::placement(QRect(600, 0, 24, 24), screenArea),
              QRect(QPoint(612 - 190, 28), QSize(380, 540)));
}

TEST(PanelPlacement, OpensAboveAnAnchorWithNoRoomBelow) {
    const QRect panel = PanelWindow::placement(QRect(600, 776, 24, 24), screenArea);
    EXPECT_EQ(panel.bottom(), 771);
    EXPECT_EQ(panel.height(), 540);
}

TEST(PanelPlacement, StaysOnTheScreenNearItsEdgesAndCorners) {
    for (const QRect& anchor : {QRect(1270, 0, 10, 10), QRect(0, 0, 10, 10), QRect(1279, 799, 1, 1),
                                QRect(640, 400, 1, 1)}) {
        const QRect panel = PanelWindow::placement(anchor, screenArea);
        EXPECT_TRUE(screenArea.contains(panel)) << anchor.x() << ',' << anchor.y();
        EXPECT_EQ(panel.size(), QSize(380, 540));
    }
    // On a second screen to the right of the first.
    const QRect right(1280, 0, 1920, 1080);
    EXPECT_TRUE(right.contains(PanelWindow::placement(QRect(3190, 0, 10, 10), right)));
}

class PanelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(putSampleDesktop(home));
        delegate.applicationDidFinishLaunching();
        ASSERT_NE(delegate.popover(), nullptr);
        ASSERT_TRUE(waitUntil([&] { return delegate.engine().fileCount() == 3; }));
    }

    ScopedHome home;
    AppDelegate delegate;
};

TEST_F(PanelWindowTest, IsAFramelessDarkPopupOf380By540) {
    PanelWindow& panel = *delegate.popover();
    EXPECT_FALSE(panel.isVisible());
    panel.toggle(trayIcon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.geometry(), QRect(QPoint(122, 28), QSize(380, 540)));
    EXPECT_EQ(panel.windowType(), Qt::Popup);
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    EXPECT_FALSE(panel.accessibleName().isEmpty());

    // Dark whatever the application's palette is.
    EXPECT_EQ(Palette::appearanceOf(QApplication::palette()), Palette::Appearance::light);
    EXPECT_EQ(Palette::appearanceOf(panel.palette()), Palette::Appearance::dark);
    EXPECT_EQ(panel.grab().toImage().pixelColor(2, panel.height() - 3),
              Palette::darkPanelPalette().color(QPalette::Window));

    panel.grab().save(screenshotPath("panel.png"));
    QPixmap hiDpi(panel.size() * 2);
    hiDpi.setDevicePixelRatio(2);
    panel.render(&hiDpi);
    hiDpi.save(screenshotPath("panel@2x.png"));
}

TEST_F(PanelWindowTest, TakesTheKeyboardOnOpeningAndEscapeClosesItWithItsContentKept) {
    PanelWindow& panel = *delegate.popover();
    panel.toggle(trayIcon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    // The panel itself has the focus, not a tile that Space would press.
    EXPECT_EQ(QApplication::focusWidget(), &panel);
    // Tab reaches the first tile (past the scrolled page, which arrow keys scroll).
    QWidget* tile = nullptr;
    for (int step = 0; step < 3 && !tile; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(panel.isAncestorOf(focus));
        if (focus->accessibleName() == "Old Files")
            tile = focus;
    }
    ASSERT_NE(tile, nullptr);
    const QObjectList content = panel.children();
    QTest::keyClick(tile, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());

    panel.toggle(trayIcon);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.children(), content);
    EXPECT_EQ(QApplication::focusWidget(), tile);
    panel.toggle(trayIcon);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(PanelWindowTest, TheClickOutsideThatClosesItDoesNotReopenItThroughTheIcon) {
    PanelWindow& panel = *delegate.popover();
    panel.toggle(trayIcon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(panel.isVisible());
    // The same press reaching the tray icon toggles right after.
    panel.toggle(trayIcon);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(PanelWindowTest, WithoutATrayIconTogglingDoesNothing) {
    ASSERT_EQ(delegate.statusItem(), nullptr); // no tray host on the offscreen platform
    delegate.togglePopover();
    EXPECT_FALSE(delegate.popover()->isVisible());
}

} // namespace
