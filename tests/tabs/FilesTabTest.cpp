#include "tabs/FilesTab.h"

#include "TabTestSupport.h"
#include "shell/ByteFormat.h"

#include <QAccessible>
#include <QListWidget>
#include <gtest/gtest.h>

namespace {

const QString tip =
    "Tip: Click an item in Finder to locate it, then drag to trash or move to a folder.";

class FilesTabTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    FakeDesktop desktop;
    FakeEngine& engine = desktop.engine();
};

void expectEmptyState(const QWidget* tab) {
    EXPECT_NE(visibleLabel(tab, "Your desktop is clean!"), nullptr);
    EXPECT_NE(visibleLabel(tab, "No files found on your desktop."), nullptr);
    EXPECT_EQ(visibleLabel(tab, tip), nullptr) << "the tip belongs under a list only";
    EXPECT_FALSE(tab->findChild<QListWidget*>()->isVisibleTo(tab));
}

TEST_F(FilesTabTest, ShowsTheEmptyStateUntilTheFirstResultAndWhenTheDesktopEmpties) {
    FilesTab tab(engine);
    MinimumWindow window(&tab);
    EXPECT_NE(visibleLabel(&tab, "Heaviest Items"), nullptr);
    EXPECT_NE(visibleLabel(&tab, "These are the biggest files and folders on your desktop. "
                                 "Removing the top items will have the biggest impact on your "
                                 "load."),
              nullptr);
    expectEmptyState(&tab);
    expectLabelsShowWholeText(&window.window());
    saveScreenshots(&window.window(), "files-empty");

    engine.publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::moderate)));
    EXPECT_NE(visibleLabel(&tab, tip), nullptr);
    EXPECT_EQ(visibleLabel(&tab, "Your desktop is clean!"), nullptr);

    engine.publish(LoadEngine::Snapshot{});
    expectEmptyState(&tab);
}

TEST_F(FilesTabTest, ListsThePublishedItemsInOrderWithKindSizeAndGlyph) {
    FilesTab tab(engine);
    MinimumWindow window(&tab);
    const LoadEngine::Snapshot snapshot = fullSnapshot(totalFor(LoadEngine::LoadStatus::heavy));
    engine.publish(snapshot);

    const auto* list = tab.findChild<QListWidget*>();
    ASSERT_TRUE(list->isVisibleTo(&tab));
    ASSERT_EQ(list->count(), snapshot.topItems.size());
    for (int i = 0; i < list->count(); ++i) {
        const LoadEngine::FileItem& item = snapshot.topItems[i];
        const QListWidgetItem* row = list->item(i);
        const QString kind = item.isDirectory ? "Folder" : "File";
        SCOPED_TRACE(item.name.toStdString());
        EXPECT_EQ(row->text(), item.name);
        EXPECT_EQ(row->data(FilesTab::kindRole).toString(), kind);
        EXPECT_EQ(row->data(FilesTab::symbolRole).toString(),
                  item.isDirectory ? "folder.fill" : "doc.fill");
        EXPECT_EQ(row->data(FilesTab::sizeTextRole).toString(), formatBytes(item.size));
        EXPECT_FALSE(row->flags() & Qt::ItemIsSelectable) << "the list is for reading only";
        EXPECT_FALSE(row->flags() & Qt::ItemIsEditable);
    }
    EXPECT_EQ(list->item(5)->data(Qt::AccessibleTextRole).toString(), "report.pdf, File, 1.5 MB");
    EXPECT_EQ(list->item(7)->data(FilesTab::sizeTextRole).toString(), formatBytes(0));
    settleLayouts();
    expectLabelsShowWholeText(&window.window());
    saveScreenshots(&window.window(), "files-full");
}

TEST_F(FilesTabTest, ScreenReadersHearEachRowAsNameKindAndSize) {
    FilesTab tab(engine);
    MinimumWindow window(&tab);
    engine.publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::light)));
    auto* list = tab.findChild<QListWidget*>();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name), "Heaviest Items");
    QStringList spoken;
    for (int i = 0; i < iface->childCount(); ++i)
        spoken.append(iface->child(i)->text(QAccessible::Name));
    EXPECT_TRUE(spoken.contains("report.pdf, File, 1.5 MB")) << spoken.join(" | ").toStdString();
    EXPECT_TRUE(spoken.contains("Projects, Folder, " + formatBytes(engine.topItems()[0].size)));
}

QImage listImage(FakeEngine& engine, const QWidget& tab, const QString& name) {
    LoadEngine::Snapshot snapshot;
    snapshot.topItems.append(LoadEngine::FileItem("/d/x", name, 1000, false, {}));
    engine.publish(snapshot);
    settleLayouts();
    return tab.findChild<QListWidget*>()->viewport()->grab().toImage();
}

TEST_F(FilesTabTest, ANameWithLineBreaksStaysOnOneLine) {
    FilesTab tab(engine);
    MinimumWindow window(&tab);
    EXPECT_EQ(listImage(engine, tab, "first\nsecond\tthird"),
              listImage(engine, tab, "first second third"));
}

TEST_F(FilesTabTest, EachPublicationReplacesAllRows) {
    FilesTab tab(engine);
    engine.publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::critical)));
    LoadEngine::Snapshot smaller;
    smaller.topItems.append(LoadEngine::FileItem("/d/a.txt", "a.txt", 1000, false, {}));
    engine.publish(smaller);
    const auto* list = tab.findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->data(Qt::AccessibleTextRole).toString(), "a.txt, File, 1 KB");
}

} // namespace
