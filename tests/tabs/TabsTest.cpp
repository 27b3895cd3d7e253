#include "FakeEngine.h"
#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/ToneLabel.h"
#include "TestEnvironment.h"
#include "dashboard/ActionButton.h"
#include "dashboard/HelpPopover.h"
#include "dashboard/LoadGauge.h"
#include "shell/MainWindowView.h"
#include "shell/Sidebar.h"
#include "tabs/FilesTab.h"
#include "tabs/StatusExplanationCard.h"

#include <QAccessible>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Status = LoadEngine::LoadStatus;
// The secondary line under each tab's title, in sidebar order.
const QString subtitles[] = {
    "Visualize your desktop clutter and clean it with one click",
    "These are the biggest files and folders on your desktop. Removing the top items will have "
    "the biggest impact on your load.",
    "Safely remove or organize desktop clutter. Actions cannot be undone, so review your files "
    "first in the Files tab."};
const QString breakdownHeading = "What's Taking Up Space?";
const QString breakdownNote = "Breakdown by file type. Hover over bars to see exact sizes.";
const QString filesTip =
    "Tip: Click an item in the file manager to locate it, then drag to trash or move to a "
    "folder.";

// A scan result of the status: eight heaviest items (a folder first, a long name, "report.pdf" of
// 1.5 MB, an empty file last) and five categories.
LoadEngine::Snapshot fullSnapshot(Status status) {
    const double loads[] = {0.05, 0.2, 0.5, 0.9};
    LoadEngine::Snapshot s{0, 42, loads[status.value()], {}, {}, status};
    s.totalBytes = qint64(s.loadPercent * double(LoadEngine::maxLoadBytes));
    qint64 share = s.totalBytes / 2;
    for (QString name :
         {"Projects/", "Holiday video from the summer trip to the coast, final cut.mov",
          "installer.dmg", "Screenshots/", "photos.zip", "report.pdf", "notes.txt", "empty.txt"}) {
        const qint64 size = name == "report.pdf" ? 1'500'000 : name == "empty.txt" ? 0 : share;
        s.topItems.append({"/d/" + name.toUtf8(), QString(name).remove('/'), size,
                           name.endsWith('/'), QDateTime::currentDateTime()});
        share /= 2;
    }
    for (const char* name : {"Folders", "Videos", "Archives", "Documents", "Other"})
        s.categoryBreakdown.append({name, share *= 2, LoadEngine::catColor(name)});
    return s;
}

void settleLayouts() {
    for (int round = 0; round < 8; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

QList<QLabel*> visibleLabels(const QWidget* root) {
    QList<QLabel*> result = root->findChildren<QLabel*>();
    result.removeIf([&](QLabel* l) { return !l->isVisibleTo(root) || l->text().isEmpty(); });
    return result;
}

QLabel* visibleLabel(const QWidget* root, const QString& text) {
    for (QLabel* label : visibleLabels(root))
        if (label->text() == text)
            return label;
    return nullptr;
}

template <typename Button> Button* button(const QWidget* root, const QString& name) {
    for (Button* b : root->findChildren<Button*>())
        if (b->text() == name || b->accessibleName() == name)
            return b;
    ADD_FAILURE() << "no button " << name.toStdString();
    return nullptr;
}

// Every visible label of the tab shows its whole text inside the window; nothing scrolls sideways.
void expectEverythingFits(const QWidget* tab) {
    for (const QLabel* label : visibleLabels(tab)) {
        SCOPED_TRACE(label->text().left(40).toStdString());
        const QPoint left = label->mapTo(tab->window(), QPoint(0, 0));
        EXPECT_GE(left.x(), 0);
        EXPECT_LE(left.x() + label->width(), tab->window()->width());
        const bool wraps = label->wordWrap();
        EXPECT_GE(wraps ? label->height() : label->width(),
                  wraps ? label->heightForWidth(label->width()) : label->sizeHint().width());
    }
    for (const QAbstractScrollArea* scroll : tab->findChildren<QAbstractScrollArea*>())
        EXPECT_TRUE(!scroll->isVisibleTo(tab) || scroll->horizontalScrollBar()->maximum() == 0);
}

// A Desktop folder in a private home (its Trash too), an engine on it that
// scans only when asked, and the real main window at its minimum size.
class TabsTest : public ::testing::Test {
protected:
    TabsTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ::mkdir(desktop.constData(), 0755);
        view.resize(700, 500);
        view.show();
        settleLayouts();
    }

    QWidget* tab() const { return view.currentTab(); }
    void expectShown(const QStringList& texts) const {
        for (const QString& text : texts)
            EXPECT_NE(visibleLabel(tab(), text), nullptr) << text.toStdString();
    }
    void select(int index) {
        view.sidebar()->setSelectedTab(index);
        settleLayouts();
    }
    void addFile(const QByteArray& name, int daysOld) {
        makeSparseFile(desktop + '/' + name, 10'000);
        setModified(desktop + '/' + name, QDateTime::currentSecsSinceEpoch() - daysOld * 86'400LL);
    }
    static bool exists(const QByteArray& path) {
        return ::faccessat(AT_FDCWD, path.constData(), F_OK, AT_SYMLINK_NOFOLLOW) == 0;
    }
    bool onDesktop(const QByteArray& name) const { return exists(desktop + '/' + name); }
    bool inTrash(const QByteArray& name) const {
        return exists(home.homeBytes() + "/.local/share/Trash/files/" + name);
    }

    ScopedHome home;
    QByteArray desktop = home.homeBytes() + "/Desktop";
    FakeEngine engine{desktop};
    MainWindowView view{engine};
};

TEST_F(TabsTest, DashboardShowsEachStatusAndTheBreakdownOnlyWhileThereAreCategories) {
    expectShown({"Current Status: Light"});
    EXPECT_FALSE(visibleLabel(tab(), breakdownHeading) || visibleLabel(tab(), breakdownNote));
    EXPECT_EQ(tab()->findChild<LoadGauge*>()->height(), 240);
    auto* card = tab()->findChild<StatusExplanationCard*>();
    QSet<QStringList> explained;
    for (const Status status : {Status::light, Status::moderate, Status::heavy, Status::critical}) {
        SCOPED_TRACE(status.rawValue().toStdString());
        engine.publish(fullSnapshot(status));
        settleLayouts();
        const QString line = "Current Status: " + status.rawValue();
        const QColor color =
            Palette::named(status.color(), Palette::appearanceOf(tab()->palette()));
        EXPECT_EQ(card->tint(), color);
        EXPECT_EQ(card->accessibleName(), line);
        const QLabel* label = visibleLabel(card, line);
        EXPECT_TRUE(label && label->palette().color(QPalette::WindowText) == color);
        QStringList cardTexts;
        for (const QLabel* shown : visibleLabels(card))
            if (shown->text() != line)
                cardTexts << shown->text();
        explained.insert(cardTexts);
        EXPECT_TRUE(visibleLabel(tab(), breakdownHeading) && visibleLabel(tab(), breakdownNote));
        expectEverythingFits(tab());
    }
    EXPECT_EQ(explained.size(), 4) << "each status explained in its own words";
    engine.publish({});
    EXPECT_EQ(visibleLabel(tab(), breakdownHeading), nullptr);
    EXPECT_NE(visibleLabel(card, "Current Status: Light"), nullptr);
}

TEST_F(TabsTest, HelpOpensBelowItsButtonAndAClickOutsideOnTheButtonOrEscapeClosesIt) {
    auto* help = button<QToolButton>(tab(), "Help");
    const auto openPage = [&] {
        auto* page = tab()->findChild<HelpPopover*>();
        return page && page->isVisible() ? page : nullptr;
    };
    // A press at a screen position, as the window system delivers it to the open popup.
    const auto pressAt = [&](const QPoint& global) {
        QTest::mouseClick(openPage()->windowHandle(), Qt::LeftButton, {},
                          openPage()->mapFromGlobal(global));
    };
    const auto expectClosed = [&] {
        ASSERT_TRUE(waitUntil([&] { return openPage() == nullptr; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(openPage(), nullptr) << "the closing event must not reopen it";
        EXPECT_FALSE(help->isChecked());
    };

    const QImage bare = help->grab().toImage();
    QTest::mouseClick(help, Qt::LeftButton);
    ASSERT_NE(openPage(), nullptr);
    EXPECT_TRUE(help->isChecked());
    EXPECT_EQ(help->grab().toImage(), bare) << "a bare symbol, open or not";
    const QPoint buttonBottom = help->mapToGlobal(QPoint(help->width() / 2, help->height()));
    EXPECT_EQ(openPage()->geometry().top(), buttonBottom.y());
    EXPECT_TRUE(openPage()->geometry().contains(buttonBottom + QPoint(0, 1)));
    pressAt(view.mapToGlobal(QPoint(300, 450)));
    expectClosed();
    QTest::mouseClick(help, Qt::LeftButton);
    ASSERT_NE(openPage(), nullptr);
    pressAt(help->mapToGlobal(help->rect().center()));
    expectClosed();
    help->setFocus();
    QTest::keyClick(help, Qt::Key_Space);
    ASSERT_NE(openPage(), nullptr);
    QTest::keyClick(openPage(), Qt::Key_Escape);
    expectClosed();
}

TEST_F(TabsTest, FilesListEachPublicationAndShowTheEmptyStateWithoutItems) {
    addFile("unscanned", 1);
    select(1);
    const auto expectEmptyState = [&] {
        expectShown({"Your desktop is clean!", "No files found on your desktop."});
        EXPECT_EQ(visibleLabel(tab(), filesTip), nullptr) << "the tip belongs under a list";
        EXPECT_FALSE(tab()->findChild<QListWidget*>()->isVisibleTo(tab()));
    };
    expectEmptyState(); // until the first scan result, whatever lies on the Desktop
    expectEverythingFits(tab());

    const LoadEngine::Snapshot snapshot = fullSnapshot(Status::heavy);
    engine.publish(snapshot);
    EXPECT_NE(visibleLabel(tab(), filesTip), nullptr);
    EXPECT_EQ(visibleLabel(tab(), "Your desktop is clean!"), nullptr);
    auto* list = tab()->findChild<QListWidget*>();
    ASSERT_EQ(list->count(), snapshot.topItems.size());
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(list);
    EXPECT_EQ(spoken->text(QAccessible::Name), "Heaviest Items");
    QStringList rowNames;
    for (int i = 0; i < spoken->childCount(); ++i)
        rowNames.append(spoken->child(i)->text(QAccessible::Name));
    for (int i = 0; i < list->count(); ++i) {
        const LoadEngine::FileItem& item = snapshot.topItems[i];
        SCOPED_TRACE(item.name.toStdString());
        EXPECT_EQ(list->item(i)->text(), item.name);
        EXPECT_EQ(list->item(i)->data(FilesTab::symbolRole).toString(),
                  item.isDirectory ? "folder.fill" : "doc.fill");
        EXPECT_FALSE(list->item(i)->flags() & (Qt::ItemIsSelectable | Qt::ItemIsEditable));
        EXPECT_TRUE(rowNames.contains(item.name + (item.isDirectory ? ", Folder, " : ", File, ") +
                                      formatBytes(item.size)));
    }
    EXPECT_TRUE(rowNames.contains("report.pdf, File, 1.5 MB")) << rowNames.join('|').toStdString();
    // One file of a kilobyte replaces all rows; a line break in its name does not show.
    const auto listImage = [&](const QString& name) {
        LoadEngine::Snapshot one;
        one.topItems.append({"/d/x", name, 1000, false, {}});
        engine.publish(one);
        settleLayouts();
        EXPECT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->data(Qt::AccessibleTextRole).toString(), name + ", File, 1 KB");
        return list->viewport()->grab().toImage();
    };
    EXPECT_EQ(listImage("first\nsecond\tthird"), listImage("first second third"));
    engine.publish({});
    expectEmptyState();
}

TEST_F(TabsTest, CleanupHasAKeyboardSliderOfWholeDaysFromSevenToNinety) {
    select(2);
    expectShown({"30 days", "7d", "90d"});
    auto* slider = tab()->findChild<QSlider*>();
    EXPECT_EQ(slider->value(), 30);
    EXPECT_EQ(slider->accessibleName(), "Age threshold");
    ASSERT_NE(visibleLabel(tab(), "Age threshold"), nullptr) << "shown, not only spoken";
    EXPECT_EQ(visibleLabel(tab(), "Age threshold")->buddy(), slider);
    EXPECT_TRUE(slider->focusPolicy() & Qt::TabFocus);
    slider->setFocus();
    for (const auto& [key, days] :
         {std::pair{Qt::Key_Home, 7}, {Qt::Key_Left, 7}, {Qt::Key_Right, 8}, {Qt::Key_End, 90}}) {
        QTest::keyClick(slider, key);
        EXPECT_EQ(slider->value(), days);
        EXPECT_NE(visibleLabel(tab(), QString::number(days) + " days"), nullptr) << days;
    }
}

// On a real engine: "Clean Old" trashes at once with 30 days; the Cleanup tab asks first, then
// trashes with the threshold shown or nothing on Cancel; its archive button acts at once.
TEST_F(TabsTest, RemediesMoveTheRightFilesAndOnlyCleanupAsksFirst) {
    for (const auto& [name, daysOld] : {std::pair{"40d", 40}, {"10d", 10}, {"8d", 8}, {"5d", 5}})
        addFile(name, daysOld);
    engine.scan();
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 4; }));
    const auto confirmation = [&] { return tab()->findChild<QMessageBox*>(); };
    button<ActionButton>(tab(), "Clean Old")->click();
    EXPECT_EQ(confirmation(), nullptr);
    EXPECT_TRUE(inTrash("40d") && onDesktop("10d"));
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 3; }));

    select(2);
    tab()->findChild<QSlider*>()->setValue(7);
    button<QPushButton>(tab(), "Move Old Files to Trash")->click();
    QMessageBox* box = confirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Confirm Cleanup");
    EXPECT_NE(visibleLabel(box, "<b>Confirm Cleanup</b>"), nullptr) << "the title is in the box";
    EXPECT_EQ(box->informativeText(), "This will move files older than 7 days to Trash. Continue?");
    const QLabel* message = visibleLabel(box, box->informativeText());
    ASSERT_NE(message, nullptr);
    EXPECT_GE(message->width(), message->fontMetrics().horizontalAdvance(message->text()) / 2)
        << "the message takes two lines at most, not a narrow column";
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->escapeButton(), button<QPushButton>(box, "Cancel"));
    EXPECT_EQ(box->defaultButton(), button<QPushButton>(box, "Cancel")) << "Enter must not trash";
    button<QPushButton>(box, "Cancel")->click();
    ASSERT_TRUE(waitUntil([&] { return confirmation() == nullptr; }));
    EXPECT_TRUE(onDesktop("10d") && !inTrash("10d"));

    button<QPushButton>(tab(), "Move Old Files to Trash")->click();
    ASSERT_NE(confirmation(), nullptr);
    button<QPushButton>(confirmation(), "Move to Trash")->click();
    ASSERT_TRUE(waitUntil([&] { return confirmation() == nullptr; }));
    EXPECT_TRUE(inTrash("8d") && onDesktop("5d")) << "the threshold shown, 7 days";
    EXPECT_EQ(tab()->findChild<QSlider*>()->value(), 7) << "kept while the tab is shown";
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 1; }));
    button<QPushButton>(tab(), "Archive All Desktop Items")->click();
    EXPECT_EQ(confirmation(), nullptr);
    const QByteArray archive =
        "DesktopArchive_" + QDate::currentDate().toString(Qt::ISODate).toUtf8();
    EXPECT_TRUE(onDesktop(archive + "/5d") && !onDesktop("5d"));
}

// Each tab full at the window's minimum size, in a dark and a light system palette: every text
// whole, no sideways scrolling, secondary texts in the palette's colour, long pages scroll.
TEST_F(TabsTest, EveryTabFitsTheMinimumWindowInALightAndADarkPalette) {
    engine.publish(fullSnapshot(Status::critical));
    for (const auto& [look, palette] :
         {std::pair{"dark", Palette::darkPanelPalette()}, {"light", QApplication::palette()}}) {
        QApplication::setPalette(palette);
        for (const int index : {1, 2, 0}) {
            const QString name = Sidebar::destinations()[index].title.toLower() + '-' + look;
            SCOPED_TRACE(name.toStdString());
            select(index);
            expectEverythingFits(tab());
            const QLabel* subtitle = visibleLabel(tab(), subtitles[index]);
            const auto* secondary = qobject_cast<const ToneLabel*>(subtitle);
            EXPECT_TRUE(secondary && secondary->color() ==
                                         Palette::secondaryLabel(Palette::appearanceOf(palette)));
            if (const auto* scroll = tab()->findChild<QScrollArea*>()) {
                EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0) << "too tall for 500 points";
                EXPECT_TRUE(scroll->widget()->isAncestorOf(subtitle)) << "the header scrolls too";
            }
        }
    }
}

// Leaving a tab discards what the user set on it: the Cleanup threshold and its
// open confirmation, the Dashboard's open help page.
TEST_F(TabsTest, SwitchingAwayAndBackStartsEachTabAfresh) {
    const auto expectNoOtherWindowOpen = [&] {
        for (const QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible() && window != &view)
                << window->metaObject()->className() << " outlived its tab";
    };
    select(2);
    tab()->findChild<QSlider*>()->setValue(12);
    button<QPushButton>(tab(), "Move Old Files to Trash")->click();
    ASSERT_NE(tab()->findChild<QMessageBox*>(), nullptr);
    select(1);
    expectNoOtherWindowOpen();
    select(2);
    EXPECT_EQ(tab()->findChild<QSlider*>()->value(), 30);
    EXPECT_NE(visibleLabel(tab(), "30 days"), nullptr);
    EXPECT_EQ(tab()->findChild<QMessageBox*>(), nullptr);

    select(0);
    QTest::mouseClick(tab()->findChild<QToolButton*>(), Qt::LeftButton);
    ASSERT_TRUE(tab()->findChild<HelpPopover*>()->isVisible());
    select(1);
    expectNoOtherWindowOpen();
    select(0);
    EXPECT_FALSE(tab()->findChild<QToolButton*>()->isChecked());
}

// A hidden or minimised main window works on no publication; its tab catches
// up when the window is shown or restored, the Files tab as much as the
// Dashboard.
TEST_F(TabsTest, AnUnseenWindowsTabSkipsPublicationsAndCatchesUpWhenShown) {
    const auto gaugeText = [&] { return tab()->findChild<LoadGauge*>()->accessibleName(); };
    const QString light = gaugeText();
    view.hide();
    engine.publish(fullSnapshot(Status::critical));
    EXPECT_EQ(gaugeText(), light);
    view.show();
    EXPECT_TRUE(gaugeText().endsWith("Critical"));
    EXPECT_NE(visibleLabel(tab(), "Current Status: Critical"), nullptr);
    view.showMinimized();
    engine.publish(fullSnapshot(Status::heavy));
    EXPECT_TRUE(gaugeText().endsWith("Critical"));
    view.showNormal();
    EXPECT_TRUE(gaugeText().endsWith("Heavy"));

    select(1);
    auto* list = tab()->findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 8);
    view.hide();
    engine.publish({});
    EXPECT_EQ(list->count(), 8);
    view.show();
    settleLayouts();
    EXPECT_EQ(list->count(), 0);
    EXPECT_NE(visibleLabel(tab(), "Your desktop is clean!"), nullptr);
}

} // namespace
