#include "dashboard/LoadDashboard.h"

#include "DashboardTestSupport.h"
#include "TestEnvironment.h"
#include "dashboard/ActionButton.h"
#include "dashboard/CategoryCard.h"
#include "dashboard/LoadGauge.h"
#include "dashboard/ToneLabel.h"
#include "dashboard/TopFilesCard.h"
#include "shell/Symbols.h"

#include <QAccessible>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr qint64 GiB = 1024LL * 1024 * 1024;

struct Panel {
    Panel() { widget.show(); }
    // Publishes a state and lets the panel's layout settle.
    void publish(const LoadEngine::Snapshot& state) {
        engine.publish(state);
        QCoreApplication::processEvents();
    }
    QList<ActionButton*> tiles() const { return widget.findChildren<ActionButton*>(); }
    QStringList texts() const {
        QStringList out;
        for (const ToneLabel* label : widget.findChildren<ToneLabel*>())
            out << label->text();
        return out;
    }
    LoadGauge* gauge() const { return widget.findChild<LoadGauge*>(); }
    bool showsCategories() const { return !widget.findChild<CategoryCard*>()->isHidden(); }
    bool showsTopFiles() const { return !widget.findChild<TopFilesCard*>()->isHidden(); }

    FakeEngine engine;
    LoadDashboard widget{engine};
};

TEST(LoadDashboard, DrawsEachStatusInHeaderGaugeAndBadge) {
    const QList<std::pair<qint64, LoadEngine::LoadStatus>> cases{
        {500'000'000, LoadEngine::LoadStatus::light},
        {2 * GiB, LoadEngine::LoadStatus::moderate},
        {5 * GiB, LoadEngine::LoadStatus::heavy},
        {8 * GiB, LoadEngine::LoadStatus::critical}};
    Panel panel;
    for (const auto& [total, status] : cases) {
        panel.publish(snapshotWithTotal(total, 120));
        ASSERT_EQ(panel.engine.status(), status);
        const QString name = status.rawValue();
        const QColor statusColour = darkNamed(status.color());
        EXPECT_EQ(panel.widget.size(), QSize(380, 540));

        const QImage image = renderOnPanel(panel.widget);
        const QColor tint = blend(panelBackground(), Palette::withOpacity(statusColour, 0.08));
        EXPECT_LE(colorDistance(image.pixelColor(190, 3), tint), 1) << name.toStdString();
        // The badge's left edge: the status colour at about 80% over the tint.
        EXPECT_LE(colorDistance(image.pixelColor(14 + 6, 10 + 14),
                                blend(tint, Palette::withOpacity(statusColour, 0.82))),
                  12)
            << name.toStdString();

        const ToneLabel* icon = panel.widget.findChild<ToneLabel*>("statusIcon");
        EXPECT_EQ(icon->text(), Symbols::glyph(status.icon()));
        EXPECT_EQ(icon->color(), statusColour);
        EXPECT_EQ(icon->accessibleName(), "Status: " + name);
        EXPECT_TRUE(panel.gauge()->accessibleName().endsWith(", 120 items, " + name));

        saveScreenshot(image, "panel-" + name.toLower() + ".png");
        saveScreenshot(renderOnPanel(panel.widget, 2), "panel-" + name.toLower() + "@2x.png");
    }
}

void expectHeaderGaugeAndActionRow(const Panel& panel) {

    const QWidget* header = panel.widget.findChild<QWidget*>("header");
    const QRect gauge(panel.gauge()->mapTo(&panel.widget, QPoint()), panel.gauge()->size());
    EXPECT_EQ(gauge, QRect(0, header->height() + 1 + 8, 380, 200));

    const QList<ActionButton*> tiles = panel.tiles();
    ASSERT_EQ(tiles.size(), 3);
    const QStringList labels{"Old Files", "Archive All", "Rescan"};
    const QStringList icons{"trash", "folder.badge.plus", "arrow.clockwise"};
    const QList<NamedColor> colours{NamedColor::red, NamedColor::blue, NamedColor::green};
    int left = 14;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tiles[i]->text(), labels[i]);
        EXPECT_EQ(tiles[i]->iconName(), icons[i]);
        EXPECT_EQ(tiles[i]->color(), darkNamed(colours[i]));
        const QPoint at = tiles[i]->mapTo(&panel.widget, QPoint());
        EXPECT_NEAR(at.x(), left, 1);
        EXPECT_EQ(at.y(), gauge.bottom() + 1 + 16);
        EXPECT_NEAR(tiles[i]->width(), (380 - 2 * 14 - 2 * 8) / 3, 1);
        left = at.x() + tiles[i]->width() + 8;
    }
    EXPECT_NEAR(left - 8, 380 - 14, 1);
}

TEST(LoadDashboard, LaysOutHeaderGaugeAndActionRow) {
    Panel panel;
    panel.publish(snapshotWithTotal(3 * GiB, 7));
    for (const char* text : {"Pilewatch", "Pressure gauge for your files", "BREAKDOWN",
                             "HEAVIEST ITEMS", "Holiday footage 2024", "Screenshots"})
        EXPECT_TRUE(panel.texts().contains(text)) << text;
    expectHeaderGaugeAndActionRow(panel);
    // With nothing below them, the gauge and the tiles stay at the top.
    panel.publish(snapshotWithTotal(0, 0, false));
    expectHeaderGaugeAndActionRow(panel);
}

void collectNames(QAccessibleInterface* node, QStringList& names) {
    if (!node)
        return;
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        collectNames(node->child(i), names);
}

TEST(LoadDashboard, ScreenReadersReachEveryText) {
    Panel panel;
    panel.publish(snapshotWithTotal(5 * GiB, 120));
    QStringList names;
    collectNames(QAccessible::queryAccessibleInterface(&panel.widget), names);
    for (const QString& text :
         {QString("Pilewatch"), QString("Pressure gauge for your files"), QString("Status: Heavy"),
          QString("Desktop load: 5.37 GB, 120 items, Heavy"), QString("Old Files"),
          QString("Archive All"), QString("Rescan"), QString("BREAKDOWN"), QString("Videos"),
          QString("Videos share: 60%"), QString("HEAVIEST ITEMS"), QString("Holiday footage 2024"),
          QString("Folder"), QString("File")})
        EXPECT_TRUE(names.contains(text)) << text.toStdString();
}

TEST(LoadDashboard, CardsComeAndGoWithTheirLists) {
    Panel panel;
    EXPECT_FALSE(panel.showsCategories()) << "before the first scan";
    EXPECT_FALSE(panel.showsTopFiles());

    LoadEngine::Snapshot full = snapshotWithTotal(6 * GiB, 3);
    panel.publish(full);
    EXPECT_TRUE(panel.showsCategories());
    EXPECT_TRUE(panel.showsTopFiles());
    auto* scroll = panel.widget.findChild<QScrollArea*>();
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0) << "the full panel scrolls";
    EXPECT_EQ(scroll->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    LoadEngine::Snapshot itemsOnly = full;
    itemsOnly.categoryBreakdown.clear();
    panel.publish(itemsOnly);
    EXPECT_FALSE(panel.showsCategories());
    EXPECT_TRUE(panel.showsTopFiles());

    LoadEngine::Snapshot categoriesOnly = full;
    categoriesOnly.topItems.clear();
    panel.publish(categoriesOnly);
    EXPECT_TRUE(panel.showsCategories());
    EXPECT_FALSE(panel.showsTopFiles());

    panel.publish(snapshotWithTotal(0, 0, false));
    EXPECT_FALSE(panel.showsCategories());
    EXPECT_FALSE(panel.showsTopFiles());
    saveScreenshot(renderOnPanel(panel.widget), "panel-empty.png");
}

TEST(LoadDashboard, RedrawsOncePerPublication) {
    Panel panel;
    QCoreApplication::processEvents();
    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            *count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(&paints);
    panel.gauge()->installEventFilter(&counter);
    panel.engine.publish(snapshotWithTotal(2 * GiB, 4));
    QCoreApplication::processEvents();
    EXPECT_EQ(paints, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints, 1) << "nothing redraws without a publication";
}

// A real engine on a private Desktop: the tiles reach its operations.
class PanelOnDesktop : public ::testing::Test {
protected:
    PanelOnDesktop() {
        QDir().mkpath(QFile::decodeName(desktop));
        engine.emplace(desktop);
        panel.emplace(*engine);
        panel->show();
        QObject::connect(&*engine, &LoadEngine::stateChanged, [this] { ++published; });
    }
    ActionButton* tile(const QString& label) const {
        for (ActionButton* t : panel->findChildren<ActionButton*>())
            if (t->text() == label)
                return t;
        return nullptr;
    }
    void rescan() {
        const qint64 before = published;
        QTest::mouseClick(tile("Rescan"), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return published > before; }, 20000));
    }

    ScopedHome home;
    QByteArray desktop = home.homeBytes() + "/Desktop";
    std::optional<LoadEngine> engine;
    std::optional<LoadDashboard> panel;
    qint64 published = 0;
};

TEST_F(PanelOnDesktop, RescanPublishesTheDesktopIntoThePanel) {
    makeSparseFile(desktop + "/movie.mkv", 3'000'000);
    rescan();
    EXPECT_EQ(engine->fileCount(), 1);
    EXPECT_EQ(panel->findChild<LoadGauge*>()->accessibleName(),
              "Desktop load: 3 MB, 1 items, Light");
    EXPECT_FALSE(panel->findChild<TopFilesCard*>()->isHidden());
}

TEST_F(PanelOnDesktop, OldFilesMovesOldEntriesToTheTrashAtOnce) {
    makeSparseFile(desktop + "/old.iso", 5000);
    setModified(desktop + "/old.iso", QDateTime::currentSecsSinceEpoch() - 40 * 86400);
    makeSparseFile(desktop + "/new.iso", 5000);
    rescan();
    QTest::mouseClick(tile("Old Files"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(desktop + "/old.iso")));
    EXPECT_TRUE(QFile::exists(home.dataHome() + "/Trash/files/old.iso"));
    EXPECT_TRUE(QFile::exists(QFile::decodeName(desktop + "/new.iso")));
    EXPECT_TRUE(waitUntil([&] { return engine->fileCount() == 1; }, 20000));
}

TEST_F(PanelOnDesktop, ArchiveAllMovesTheEntriesIntoADatedFolder) {
    makeSparseFile(desktop + "/report.pdf", 9000);
    rescan();
    QTest::mouseClick(tile("Archive All"), Qt::LeftButton);
    const QString archive = QFile::decodeName(desktop) + "/DesktopArchive_" +
                            QDate::currentDate().toString("yyyy-MM-dd");
    EXPECT_TRUE(QFile::exists(archive + "/report.pdf"));
    EXPECT_FALSE(QFile::exists(QFile::decodeName(desktop + "/report.pdf")));
}

TEST_F(PanelOnDesktop, TabAndSpaceReachTheTiles) {
    makeSparseFile(desktop + "/a.bin", 1000);
    ActionButton* first = tile("Old Files");
    first->setFocus(Qt::TabFocusReason);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(panel->focusWidget(), tile("Archive All"));
    QTest::keyClick(panel->focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(panel->focusWidget(), tile("Rescan"));
    const qint64 before = published;
    QTest::keyClick(panel->focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(waitUntil([&] { return published > before; }, 20000));
    EXPECT_EQ(engine->fileCount(), 1);
}

} // namespace
