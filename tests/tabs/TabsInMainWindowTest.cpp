#include "TabTestSupport.h"
#include "shell/MainWindowView.h"
#include "shell/Palette.h"
#include "shell/Sidebar.h"
#include "tabs/CleanupTab.h"
#include "tabs/DashboardTab.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct Look {
    const char* name;
    QPalette palette;
};

QList<Look> looks() {
    return {{"light", QApplication::palette()}, {"dark", Palette::darkPanelPalette()}};
}

// Every tab, shown in the real main window at its opening and its minimum
// size, in a light and a dark system palette, shows all its texts whole and
// never scrolls sideways.
TEST(TabsInMainWindow, EveryTabShowsItsWholeTextAtBothWindowSizesInBothPalettes) {
    for (const Look& look : looks()) {
        ScopedPalette palette(look.palette);
        FakeDesktop desktop;
        desktop.engine().publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::critical)));
        MainWindowView view(desktop.engine());
        view.show();
        for (const QSize size : {QSize(800, 600), QSize(700, 500)}) {
            view.resize(size);
            for (int index = 0; index < Sidebar::destinations().size(); ++index) {
                const QString name =
                    QStringLiteral("main-%1-%2-%3x%4")
                        .arg(Sidebar::destinations()[index].title.toLower(), look.name)
                        .arg(size.width())
                        .arg(size.height());
                SCOPED_TRACE(name.toStdString());
                view.sidebar()->setSelectedTab(index);
                settleLayouts();
                QWidget* tab = view.currentTab();
                EXPECT_LE(tab->mapTo(&view, QPoint(tab->width(), 0)).x(), view.width());
                expectLabelsShowWholeText(tab);
                if (auto* scroll = tab->findChild<QScrollArea*>()) {
                    EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());
                }
                saveScreenshots(&view, name);
            }
        }
    }
}

void expectOnlyOpenWindow(const QWidget& view) {
    for (const QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible() && window != &view)
            << window->metaObject()->className() << " outlived its tab";
}

// Leaving a tab discards what the user set on it: the Cleanup threshold and
// its open confirmation, the Dashboard's open help page.
TEST(TabsInMainWindow, SwitchingAwayAndBackStartsEachTabAfresh) {
    FakeDesktop desktop;
    MainWindowView view(desktop.engine());
    view.show();
    settleLayouts();

    view.sidebar()->setSelectedTab(2);
    auto* cleanup = qobject_cast<CleanupTab*>(view.currentTab());
    ASSERT_NE(cleanup, nullptr);
    cleanup->findChild<QSlider*>()->setValue(12);
    for (QPushButton* button : cleanup->findChildren<QPushButton*>())
        if (button->text() == "Move Old Files to Trash")
            button->click();
    ASSERT_NE(cleanup->findChild<QMessageBox*>(), nullptr);
    view.sidebar()->setSelectedTab(1);
    expectOnlyOpenWindow(view);
    view.sidebar()->setSelectedTab(2);
    cleanup = qobject_cast<CleanupTab*>(view.currentTab());
    ASSERT_NE(cleanup, nullptr);
    EXPECT_EQ(cleanup->findChild<QSlider*>()->value(), 30);
    EXPECT_NE(visibleLabel(cleanup, "30 days"), nullptr);
    EXPECT_EQ(cleanup->findChild<QMessageBox*>(), nullptr);

    view.sidebar()->setSelectedTab(0);
    auto* help = view.currentTab()->findChild<QToolButton*>();
    ASSERT_NE(help, nullptr);
    QTest::mouseClick(help, Qt::LeftButton);
    ASSERT_TRUE(help->isChecked());
    view.sidebar()->setSelectedTab(1);
    view.sidebar()->setSelectedTab(0);
    EXPECT_FALSE(view.currentTab()->findChild<QToolButton*>()->isChecked());
    expectOnlyOpenWindow(view);
}

} // namespace
