#include "tabs/CleanupTab.h"

#include "TabTestSupport.h"
#include "shell/Palette.h"

#include <QAccessible>
#include <QDate>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QSlider* slider(const QWidget* tab) {
    return tab->findChild<QSlider*>();
}

QPushButton* button(const QWidget* root, const QString& text) {
    for (QPushButton* b : root->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

QMessageBox* confirmation(const QWidget* tab) {
    return tab->findChild<QMessageBox*>();
}

TEST(CleanupTab, ShowsItsTextsAndStartsAtThirtyDays) {
    FakeDesktop desktop;
    CleanupTab tab(desktop.engine());
    MinimumWindow window(&tab);
    const QStringList texts = visibleTexts(&tab);
    for (const QString& expected : QStringList{
             "Cleanup Tools",
             "Safely remove or organize desktop clutter. Actions cannot be undone, so review your "
             "files first in the Files tab.",
             "Delete Old Files",
             "This moves files older than the selected number of days to your Trash. You can "
             "still recover them from Trash if needed.",
             "Delete files older than:", "30 days", "7d", "90d", "Archive Everything",
             "Moves ALL desktop items into a new folder named 'DesktopArchive_YYYY-MM-DD' on your "
             "desktop. This instantly clears your desktop while keeping everything accessible.",
             "Manual Cleanup Tips",
             "Screenshots: Check for old screenshots (usually named 'Screen Shot' or "
             "'Screenshot')",
             "Downloads: Files ending in .zip or .dmg are often leftover installers",
             "Duplicates: Look for files with 'copy' in the name",
             "Folders: Empty folders still add to your mental load \u2014 remove them"})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    EXPECT_EQ(slider(&tab)->value(), 30);
    EXPECT_EQ(slider(&tab)->accessibleName(), "Age threshold");
    const QLabel* caption = visibleLabel(&tab, "Age threshold");
    ASSERT_NE(caption, nullptr) << "the slider's caption is shown, not only spoken";
    EXPECT_EQ(caption->buddy(), slider(&tab));
    EXPECT_EQ(confirmation(&tab), nullptr);
    saveScreenshots(&window.window(), "cleanup");
}

TEST(CleanupTab, SliderMovesInWholeDaysFromSevenToNinetyByKeyboard) {
    FakeDesktop desktop;
    CleanupTab tab(desktop.engine());
    MinimumWindow window(&tab);
    QSlider* s = slider(&tab);
    EXPECT_NE(s->focusPolicy() & Qt::TabFocus, 0);
    s->setFocus();
    QTest::keyClick(s, Qt::Key_Home);
    EXPECT_EQ(s->value(), 7);
    EXPECT_NE(visibleLabel(&tab, "7 days"), nullptr);
    QTest::keyClick(s, Qt::Key_Left);
    EXPECT_EQ(s->value(), 7);
    QTest::keyClick(s, Qt::Key_Right);
    EXPECT_NE(visibleLabel(&tab, "8 days"), nullptr);
    QTest::keyClick(s, Qt::Key_PageUp);
    EXPECT_GT(s->value(), 8);
    QTest::keyClick(s, Qt::Key_End);
    EXPECT_EQ(s->value(), 90);
    EXPECT_NE(visibleLabel(&tab, "90 days"), nullptr);
    s->setValue(200);
    EXPECT_EQ(s->value(), 90);
    s->setValue(1);
    EXPECT_EQ(s->value(), 7);
}

TEST(CleanupTab, RecreatingTheTabStartsAgainAtThirtyWithTheConfirmationClosed) {
    FakeDesktop desktop;
    auto tab = std::make_unique<CleanupTab>(desktop.engine());
    tab->show();
    slider(tab.get())->setValue(61);
    button(tab.get(), "Move Old Files to Trash")->click();
    ASSERT_NE(confirmation(tab.get()), nullptr);
    tab.reset();

    tab = std::make_unique<CleanupTab>(desktop.engine());
    tab->show();
    EXPECT_EQ(slider(tab.get())->value(), 30);
    EXPECT_NE(visibleLabel(tab.get(), "30 days"), nullptr);
    EXPECT_EQ(confirmation(tab.get()), nullptr);
}

TEST(CleanupTab, ConfirmationNamesTheThresholdAndCancelMovesNothing) {
    RealDesktop desktop;
    desktop.addFile("old.txt", 4000, 40);
    desktop.scanAndWait();
    CleanupTab tab(desktop.engine());
    tab.show();

    button(&tab, "Move Old Files to Trash")->click();
    QMessageBox* box = confirmation(&tab);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isModal());
    EXPECT_EQ(box->windowTitle(), "Confirm Cleanup");
    const QLabel* title = visibleLabel(box, "<b>Confirm Cleanup</b>");
    ASSERT_NE(title, nullptr) << "the title stands over the message in the box";
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(const_cast<QLabel*>(title))->text(QAccessible::Name),
        "Confirm Cleanup");
    EXPECT_EQ(box->informativeText(),
              "This will move files older than 30 days to Trash. Continue?");
    const QLabel* message = visibleLabel(box, box->informativeText());
    ASSERT_NE(message, nullptr);
    EXPECT_GE(message->width(), message->fontMetrics().horizontalAdvance(message->text()) / 2)
        << "the message takes two lines at most, not a narrow column";
    saveScreenshots(box, "cleanup-confirmation");
    QStringList buttons;
    for (QAbstractButton* b : box->buttons())
        buttons.append(b->text());
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Cancel", "Move to Trash"}));
    EXPECT_EQ(box->escapeButton(), button(box, "Cancel"));
    EXPECT_EQ(box->defaultButton(), button(box, "Cancel")) << "Enter must not trash files";
    button(box, "Cancel")->click();
    ASSERT_TRUE(waitUntil([&] { return confirmation(&tab) == nullptr; }));

    EXPECT_TRUE(desktop.onDesktop("old.txt"));
    EXPECT_FALSE(desktop.inTrash("old.txt"));
}

TEST(CleanupTab, MoveToTrashCleansWithTheThresholdShown) {
    RealDesktop desktop;
    desktop.addFile("ten-days.bin", 30'000, 10);
    desktop.addFile("eight-days.bin", 20'000, 8);
    desktop.addFile("five-days.bin", 10'000, 5);
    desktop.scanAndWait();
    CleanupTab tab(desktop.engine());
    tab.show();
    slider(&tab)->setValue(7);

    button(&tab, "Move Old Files to Trash")->click();
    ASSERT_NE(confirmation(&tab), nullptr);
    EXPECT_EQ(confirmation(&tab)->informativeText(),
              "This will move files older than 7 days to Trash. Continue?");
    button(confirmation(&tab), "Move to Trash")->click();
    ASSERT_TRUE(waitUntil([&] { return confirmation(&tab) == nullptr; }));

    EXPECT_TRUE(desktop.inTrash("ten-days.bin"));
    EXPECT_TRUE(desktop.inTrash("eight-days.bin"));
    EXPECT_FALSE(desktop.onDesktop("ten-days.bin"));
    EXPECT_TRUE(desktop.onDesktop("five-days.bin"));
    EXPECT_FALSE(desktop.inTrash("five-days.bin"));
    EXPECT_EQ(slider(&tab)->value(), 7) << "the threshold stays while the tab is shown";
}

TEST(CleanupTab, ArchiveButtonArchivesAtOnceWithoutAsking) {
    RealDesktop desktop;
    desktop.addFile("notes.txt", 500, 1);
    desktop.scanAndWait();
    CleanupTab tab(desktop.engine());
    tab.show();

    button(&tab, "Archive All Desktop Items")->click();
    EXPECT_EQ(confirmation(&tab), nullptr);
    const QByteArray folder =
        "DesktopArchive_" + QDate::currentDate().toString("yyyy-MM-dd").toUtf8();
    EXPECT_TRUE(desktop.onDesktop(folder + "/notes.txt"));
    EXPECT_FALSE(desktop.onDesktop("notes.txt"));
}

TEST(CleanupTab, FollowsADarkSystemPalette) {
    ScopedPalette dark(Palette::darkPanelPalette());
    FakeDesktop desktop;
    CleanupTab tab(desktop.engine());
    MinimumWindow window(&tab);
    const QLabel* days = visibleLabel(&tab, "30 days");
    ASSERT_NE(days, nullptr);
    EXPECT_EQ(days->palette().color(QPalette::WindowText),
              Palette::secondaryLabel(Palette::Appearance::dark));
    saveScreenshots(&window.window(), "cleanup-dark");
}

TEST(CleanupTab, LongTextsWrapAtTheMinimumWidthAndThePageScrolls) {
    FakeDesktop desktop;
    CleanupTab tab(desktop.engine());
    MinimumWindow window(&tab);
    expectLabelsShowWholeText(&window.window());
    auto* scroll = tab.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0) << "content is taller than 500 points";
    EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width()) << "no sideways scrolling";
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    saveScreenshots(&window.window(), "cleanup-scrolled");
}

} // namespace
