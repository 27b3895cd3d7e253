#include "HeftwickApp.h"
#include "TestEnvironment.h"
#include "shell/MainWindowView.h"
#include "shell/Palette.h"
#include "shell/Sidebar.h"

#include <QAccessible>
#include <QPointer>
#include <QSplitter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QListWidgetItem* row(const QString& text) const {
        return sidebar.findItems(text, Qt::MatchExactly).value(0);
    }
    void click(const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(sidebar.viewport(), Qt::LeftButton, modifiers,
                          sidebar.visualItemRect(row(text)).center());
    }
    QString highlightedRow() const {
        const QList<QListWidgetItem*> selected = sidebar.selectedItems();
        return selected.size() == 1 ? selected.first()->text() : QString();
    }
    void expectShown(int index, const QString& title) {
        EXPECT_EQ(window.selectedTab(), index);
        EXPECT_EQ(highlightedRow(), title);
        EXPECT_EQ(window.currentTab()->accessibleName(), title);
    }

    ScopedHome home;
    PilewatchApp app;
    MainWindowView& window = app.mainWindow();
    Sidebar& sidebar = *window.sidebar();
};

void saveRendering(QWidget& widget, const QString& name, qreal dpr) {
    QPixmap pixmap(widget.size() * dpr);
    pixmap.setDevicePixelRatio(dpr);
    widget.render(&pixmap);
    EXPECT_TRUE(pixmap.save(screenshotPath(name)));
}

TEST_F(MainWindowTest, OpensAt800By600OnTheDashboard) {
    EXPECT_EQ(window.size(), QSize(800, 600));
    EXPECT_EQ(window.minimumSize(), QSize(700, 500));
    EXPECT_EQ(window.windowTitle(), "Pilewatch");
    EXPECT_EQ(window.accessibleName(), "Pilewatch");
    // A frame to screen readers, not an anonymous filler.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    EXPECT_FALSE(window.windowFlags() & Qt::FramelessWindowHint);
    expectShown(0, "Dashboard");
    EXPECT_TRUE(row("Dashboard")->isSelected());

    saveRendering(window, "main-window.png", 1);
    saveRendering(window, "main-window@2x.png", 2);
}

TEST_F(MainWindowTest, StopsShrinkingAt700By500WithTheSidebarAtLeast220Wide) {
    window.resize(400, 300);
    EXPECT_EQ(window.size(), QSize(700, 500));
    auto* splitter = window.findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    splitter->setSizes({60, 640});
    QCoreApplication::processEvents();
    EXPECT_GE(sidebar.width(), 220);
    EXPECT_GT(window.currentTab()->width(), 0);
    EXPECT_LE(sidebar.width() + window.currentTab()->width(), window.width());
}

TEST_F(MainWindowTest, SelectingARowShowsItsTabAndDiscardsThePreviousOne) {
    QPointer<QWidget> previous = window.currentTab();
    for (const auto& [index, title] : {std::pair{1, "Files"}, {2, "Cleanup"}, {0, "Dashboard"}}) {
        click(title);
        expectShown(index, title);
        EXPECT_TRUE(previous.isNull()) << "the tab shown before " << title << " still exists";
        previous = window.currentTab();
    }

    // Section headers select nothing, and the selected row cannot be cleared.
    click("Actions");
    expectShown(0, "Dashboard");
    click("Dashboard", Qt::ControlModifier);
    expectShown(0, "Dashboard");
    EXPECT_EQ(window.currentTab(), previous.data());
}

TEST_F(MainWindowTest, SwitchingTabsKeepsTheSidebarWidth) {
    const int width = sidebar.width();
    for (const char* title : {"Files", "Cleanup", "Dashboard"}) {
        click(title);
        QCoreApplication::processEvents();
        EXPECT_EQ(sidebar.width(), width) << "after showing " << title;
    }
}

TEST_F(MainWindowTest, ArrowKeysMoveTheSelectionOverTheSectionHeaders) {
    sidebar.setFocus();
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2},
                                             {Qt::Key_Down, 2}, {Qt::Key_Up, 1},
                                             {Qt::Key_Up, 0},   {Qt::Key_Up, 0}};
    for (const auto& [key, index] : steps) {
        QTest::keyClick(&sidebar, key);
        expectShown(index, Sidebar::destinations()[index].title);
    }
}

TEST_F(MainWindowTest, SectionHeadersFollowADarkSystemPalette) {
    const auto headerColor = [&] { return row("Overview")->foreground().color(); };
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::light));
    window.setPalette(Palette::darkPanelPalette());
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::dark));
    saveRendering(window, "main-window-dark.png", 1);
}

TEST_F(MainWindowTest, SidebarRowsCarryTheirNamesForScreenReaders) {
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&sidebar);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text(QAccessible::Name), "Sidebar");
    QStringList names;
    for (int i = 0; i < list->childCount(); ++i)
        names << list->child(i)->text(QAccessible::Name);
    EXPECT_EQ(names, QStringList({"Overview", "Dashboard", "Files", "Actions", "Cleanup"}));
}

} // namespace
