// The shell on a 640 × 400 logical screen (a 1280 × 800 panel at scale 2):
// the offscreen platform is given that screen by the test's configuration.
#include "ShellTestSupport.h"
#include "dashboard/LoadDashboard.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/Sidebar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QRect screenArea(0, 0, 640, 400);

// Where the user can bring a widget into view: inside the scroll area that
// holds it, within the width it shows and the height it scrolls through;
// elsewhere, within the window.
void expectReachable(const QWidget& widget, const QWidget& window) {
    const QScrollArea* scroll = nullptr;
    for (QWidget* up = widget.parentWidget(); up && !scroll; up = up->parentWidget())
        scroll = qobject_cast<QScrollArea*>(up);
    const QString name =
        widget.accessibleName().isEmpty() ? widget.objectName() : widget.accessibleName();
    if (!scroll) {
        const QRect inWindow(widget.mapTo(&window, QPoint()), widget.size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << name.toStdString() << " cut off";
        return;
    }
    const QRect inPage(widget.mapTo(scroll->widget(), QPoint()), widget.size());
    EXPECT_LE(inPage.right(), scroll->viewport()->width() - 1)
        << name.toStdString() << " runs past the page's width";
    EXPECT_LE(inPage.bottom(),
              scroll->viewport()->height() - 1 + scroll->verticalScrollBar()->maximum())
        << name.toStdString() << " lies beyond the page's scrolling";
}

void expectEveryControlAndTextReachable(const QWidget& root, const QWidget& window) {
    int checked = 0;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) ||
            !(qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget)))
            continue;
        expectReachable(*widget, window);
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST(SmallScreen, TheMainWindowFitsTheScreenAndEveryTabScrollsToAllItsContent) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), screenArea);
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2);
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    PilewatchApp app;
    ASSERT_TRUE(launchAndWait(app));
    MainWindowView& window = app.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(waitUntil([&] { return app.appDelegate().engine().fileCount() == 3; }));
    EXPECT_TRUE(screenArea.contains(window.frameGeometry())) << "the window leaves the screen";
    const QSize room = screenArea.size() - (window.frameGeometry().size() - window.size());
    EXPECT_EQ(window.minimumSize(), room);
    window.resize(400, 300);
    EXPECT_EQ(window.size(), room) << "shrinks below what the screen allows";

    for (const int tab : {0, 1, 2}) {
        SCOPED_TRACE(tab);
        window.sidebar()->setSelectedTab(tab);
        QCoreApplication::processEvents();
        EXPECT_GE(window.sidebar()->width(), MainWindowView::minimumSidebarWidth);
        expectReachable(*window.currentTab(), window);
        expectEveryControlAndTextReachable(*window.currentTab(), window);
    }
}

TEST(SmallScreen, ThePanelTakesTheScreensHeightAndItsPageScrollsToTheLastCard) {
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    LoadEngine engine;
    engine.startMonitoring();
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 3; }));
    PanelWindow panel(new LoadDashboard(engine));

    panel.toggle(QRect(600, 0, 24, 24));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_TRUE(screenArea.contains(panel.geometry())) << "the panel leaves the screen";
    EXPECT_EQ(panel.height(), screenArea.height());
    EXPECT_EQ(panel.width(), PanelWindow::panelSize.width());
    expectEveryControlAndTextReachable(panel, panel);
}

} // namespace
