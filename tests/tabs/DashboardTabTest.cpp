#include "tabs/DashboardTab.h"

#include "TabTestSupport.h"
#include "dashboard/ActionButton.h"
#include "dashboard/HelpPopover.h"
#include "dashboard/LoadGauge.h"
#include "shell/Palette.h"
#include "tabs/StatusExplanationCard.h"

#include <QDate>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString explanationFor(LoadEngine::LoadStatus status) {
    switch (status) {
    case LoadEngine::LoadStatus::light:
        return "Your desktop is well-organized. Under 1 GB of files means minimal impact on "
               "startup and Spotlight indexing. Keep it up!";
    case LoadEngine::LoadStatus::moderate:
        return "Your desktop has a moderate amount of files. Consider organizing into folders or "
               "archiving old items to keep your workspace efficient.";
    case LoadEngine::LoadStatus::heavy:
        return "Your desktop is significantly cluttered. Many files on the desktop slow down "
               "Finder, increase backup times, and create visual distraction. Cleanup "
               "recommended.";
    case LoadEngine::LoadStatus::critical:
        return "Your desktop is heavily overloaded. This impacts Finder performance, Spotlight "
               "search, Time Machine backups, and even system startup. Immediate cleanup "
               "strongly recommended.";
    }
    return {};
}

const QString breakdownHeading = "What's Taking Up Space?";

QToolButton* helpButton(const QWidget* tab) {
    for (QToolButton* b : tab->findChildren<QToolButton*>())
        if (b->accessibleName() == "Help")
            return b;
    ADD_FAILURE() << "no help button";
    return nullptr;
}

HelpPopover* openHelp(const QWidget* tab) {
    HelpPopover* help = tab->findChild<HelpPopover*>();
    return help && help->isVisible() ? help : nullptr;
}

ActionButton* tile(const QWidget* tab, const QString& label) {
    for (ActionButton* b : tab->findChildren<ActionButton*>())
        if (b->accessibleName() == label)
            return b;
    ADD_FAILURE() << "no tile " << label.toStdString();
    return nullptr;
}

// Presses the mouse at a screen position, as the window system delivers it to the open popup.
void pressOnPopupAt(HelpPopover* help, const QPoint& global) {
    QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, help->mapFromGlobal(global));
}

TEST(DashboardTab, EmptyDesktopShowsHeaderGaugeActionsAndLightCardWithoutBreakdown) {
    FakeDesktop desktop;
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);
    const QStringList texts = visibleTexts(&tab);
    for (const QString& expected : QStringList{
             "Pilewatch Monitor", "Visualize your desktop clutter and clean it with one click",
             "The gauge shows your Pilewatch. Green = clean, Red = cluttered. Max load is "
             "10 GB.",
             "Clean Old", "Moves files older than 30 days to trash", "Archive",
             "Moves everything into a dated folder", "Rescan",
             "Recalculates size and updates gauge", "What Does This Mean?", "Current Status: Light",
             explanationFor(LoadEngine::LoadStatus::light)})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(texts.contains(breakdownHeading));
    EXPECT_FALSE(texts.contains("Breakdown by file type. Hover over bars to see exact sizes."));

    const auto* gauge = tab.findChild<LoadGauge*>();
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->height(), 240);
    EXPECT_GT(gauge->width(), 240) << "the gauge's width is the page's";
    const QLabel* note = visibleLabel(&tab, "The gauge shows your Pilewatch. Green = clean, Red = "
                                            "cluttered. Max load is 10 GB.");
    EXPECT_LE(note->width(), 400);
    EXPECT_TRUE(note->wordWrap());
    saveScreenshots(&window.window(), "dashboard-empty");
}

TEST(DashboardTab, EachStatusHasItsOwnCardAndEveryTextWrapsAtTheMinimumWidth) {
    FakeDesktop desktop;
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);
    auto* card = tab.findChild<StatusExplanationCard*>();
    ASSERT_NE(card, nullptr);
    for (const LoadEngine::LoadStatus status : allStatuses()) {
        SCOPED_TRACE(status.rawValue().toStdString());
        desktop.engine().publish(fullSnapshot(totalFor(status)));
        settleLayouts();
        const QColor color = Palette::named(status.color(), Palette::appearanceOf(tab.palette()));
        EXPECT_EQ(card->status(), status);
        EXPECT_EQ(card->tint(), color);
        EXPECT_EQ(card->accessibleName(), "Current Status: " + status.rawValue());
        const QLabel* line = visibleLabel(card, "Current Status: " + status.rawValue());
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->palette().color(QPalette::WindowText), color);
        const QLabel* explanation = visibleLabel(card, explanationFor(status));
        ASSERT_NE(explanation, nullptr);
        EXPECT_GE(explanation->height(), explanation->heightForWidth(explanation->width()));
        EXPECT_LE(explanation->mapTo(card, QPoint(explanation->width(), 0)).x(), card->width());
        EXPECT_NE(visibleLabel(&tab, breakdownHeading), nullptr);
        expectLabelsShowWholeText(&window.window());

        auto* scroll = tab.findChild<QScrollArea*>();
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        saveScreenshots(&window.window(), "dashboard-" + statusSlug(status) + "-full");
        scroll->verticalScrollBar()->setValue(0);
    }
}

TEST(DashboardTab, BreakdownFollowsThePublishedCategoriesAndPageScrolls) {
    FakeDesktop desktop;
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);
    desktop.engine().publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::heavy)));
    EXPECT_NE(visibleLabel(&tab, breakdownHeading), nullptr);
    EXPECT_NE(visibleLabel(&tab, "Breakdown by file type. Hover over bars to see exact sizes."),
              nullptr);
    desktop.engine().publish(LoadEngine::Snapshot{});
    EXPECT_EQ(visibleLabel(&tab, breakdownHeading), nullptr);
    EXPECT_NE(visibleLabel(&tab, "Current Status: Light"), nullptr);

    settleLayouts();
    auto* scroll = tab.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0) << "taller than a 500-point window";
    EXPECT_TRUE(scroll->widget()->isAncestorOf(helpButton(&tab))) << "the header scrolls too";
}

TEST(DashboardTab, FollowsADarkSystemPalette) {
    ScopedPalette dark(Palette::darkPanelPalette());
    FakeDesktop desktop;
    desktop.engine().publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::heavy)));
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);
    const auto darkLook = Palette::Appearance::dark;
    EXPECT_EQ(tab.findChild<StatusExplanationCard*>()->tint(),
              Palette::named(NamedColor::orange, darkLook));
    const QLabel* subtitle =
        visibleLabel(&tab, "Visualize your desktop clutter and clean it with one click");
    ASSERT_NE(subtitle, nullptr);
    EXPECT_EQ(subtitle->palette().color(QPalette::WindowText), Palette::secondaryLabel(darkLook));
    saveScreenshots(&window.window(), "dashboard-heavy-dark");
}

class DashboardHelp : public ::testing::Test {
protected:
    FakeDesktop desktop;
    std::unique_ptr<DashboardTab> tab = std::make_unique<DashboardTab>(desktop.engine());
    MinimumWindow window{tab.get()};
    QToolButton* button = helpButton(tab.get());
};

TEST_F(DashboardHelp, ButtonOpensTheHelpPageBelowItAndAClickOutsideClosesIt) {
    EXPECT_EQ(openHelp(tab.get()), nullptr);
    EXPECT_NE(button->focusPolicy() & Qt::TabFocus, 0);
    QTest::mouseClick(button, Qt::LeftButton);
    HelpPopover* help = openHelp(tab.get());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->windowType(), Qt::Popup) << "a click outside closes it";
    EXPECT_EQ(help->size(), QSize(360, 480));
    const QPoint buttonBottom = button->mapToGlobal(QPoint(button->width() / 2, button->height()));
    EXPECT_EQ(help->geometry().top(), buttonBottom.y());
    EXPECT_NEAR(help->geometry().center().x(), buttonBottom.x(), 180)
        << "hangs from the button unless the screen edge pushes it aside";
    EXPECT_TRUE(help->geometry().contains(QPoint(buttonBottom.x(), buttonBottom.y() + 1)));
    saveScreenshots(help, "dashboard-help");

    pressOnPopupAt(help, window.window().mapToGlobal(QPoint(300, 450)));
    ASSERT_TRUE(waitUntil([&] { return openHelp(tab.get()) == nullptr; }));
    EXPECT_FALSE(button->isChecked());
}

TEST_F(DashboardHelp, ClickingTheButtonWhileOpenClosesItForGood) {
    QTest::mouseClick(button, Qt::LeftButton);
    HelpPopover* help = openHelp(tab.get());
    ASSERT_NE(help, nullptr);
    pressOnPopupAt(help, button->mapToGlobal(button->rect().center()));
    ASSERT_TRUE(waitUntil([&] { return openHelp(tab.get()) == nullptr; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(openHelp(tab.get()), nullptr) << "the closing click must not reopen it";
    EXPECT_FALSE(button->isChecked());
}

// The help button is a bare symbol: open or not, it draws nothing around it.
TEST_F(DashboardHelp, ButtonDrawsNoBezelWhileTheHelpPageIsOpen) {
    const QImage closed = button->grab().toImage();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(openHelp(tab.get()), nullptr);
    ASSERT_TRUE(button->isChecked());
    EXPECT_EQ(button->grab().toImage(), closed);
}

TEST(DashboardHelpPage, StandsApartFromADarkWindowByItsEdge) {
    ScopedPalette dark(Palette::darkPanelPalette());
    FakeDesktop desktop;
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);
    QTest::mouseClick(helpButton(&tab), Qt::LeftButton);
    HelpPopover* help = openHelp(&tab);
    ASSERT_NE(help, nullptr);
    const QImage page = help->grab().toImage();
    const QColor inside = page.pixelColor(page.width() / 2, page.height() - 3);
    const QColor edge = page.pixelColor(page.width() / 2, page.height() - 1);
    EXPECT_GT(qGray(edge.rgb()) - qGray(inside.rgb()), 20) << "a light hairline on a dark page";
    saveScreenshots(help, "dashboard-help-dark");
}

TEST_F(DashboardHelp, KeyboardOpensAndEscapeCloses) {
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    HelpPopover* help = openHelp(tab.get());
    ASSERT_NE(help, nullptr);
    QTest::keyClick(help, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return openHelp(tab.get()) == nullptr; }));
    EXPECT_FALSE(button->isChecked());
}

TEST_F(DashboardHelp, RecreatedTabStartsWithHelpClosed) {
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(openHelp(tab.get()), nullptr);
    tab.reset();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<HelpPopover*>(w), nullptr) << "the open page went with the tab";
    DashboardTab again(desktop.engine());
    again.show();
    EXPECT_EQ(openHelp(&again), nullptr);
    EXPECT_FALSE(helpButton(&again)->isChecked());
}

TEST(DashboardTab, TilesActAtOnceOnTheRealEngine) {
    RealDesktop desktop;
    desktop.addFile("forty-days.bin", 40'000, 40);
    desktop.addFile("ten-days.bin", 20'000, 10);
    desktop.scanAndWait();
    DashboardTab tab(desktop.engine());
    MinimumWindow window(&tab);

    tile(&tab, "Clean Old")->click();
    EXPECT_EQ(tab.findChild<QMessageBox*>(), nullptr) << "no confirmation on this tab";
    EXPECT_TRUE(desktop.inTrash("forty-days.bin"));
    EXPECT_TRUE(desktop.onDesktop("ten-days.bin")) << "cleans with 30 days";

    desktop.addFile("new.bin", 1'000, 0);
    bool published = false;
    QObject::connect(&desktop.engine(), &LoadEngine::stateChanged, [&] { published = true; });
    tile(&tab, "Rescan")->click();
    ASSERT_TRUE(waitUntil([&] { return published && desktop.engine().fileCount() == 2; }));

    desktop.scanAndWait();
    tile(&tab, "Archive")->click();
    const QByteArray folder =
        "DesktopArchive_" + QDate::currentDate().toString("yyyy-MM-dd").toUtf8();
    EXPECT_TRUE(desktop.onDesktop(folder + "/ten-days.bin"));
    EXPECT_TRUE(desktop.onDesktop(folder + "/new.bin"));
}

} // namespace
