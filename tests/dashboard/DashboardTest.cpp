#include "FakeEngine.h"
#include "Pixels.h"
#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/ToneLabel.h"
#include "TestEnvironment.h"
#include "dashboard/ActionButton.h"
#include "dashboard/CategoryCard.h"
#include "dashboard/HelpPopover.h"
#include "dashboard/LoadDashboard.h"
#include "dashboard/LoadGauge.h"
#include "dashboard/TopFilesCard.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>
#include <gtest/gtest.h>

namespace {

using Status = LoadEngine::LoadStatus;

LoadEngine::FileItem fileItem(const QString& name, qint64 size, bool isDirectory = false) {
    return {"/tmp/" + name.toUtf8(), name, size, isDirectory, QDateTime::currentDateTime()};
}

QStringList labelTexts(const QWidget& widget) {
    QStringList out;
    for (const ToneLabel* label : widget.findChildren<ToneLabel*>())
        out << label->text();
    return out;
}

ToneLabel* labelWithText(const QWidget& parent, const QString& text) {
    const qsizetype i = labelTexts(parent).indexOf(text);
    return i < 0 ? nullptr : parent.findChildren<ToneLabel*>().at(i);
}

QColor panelBackground() {
    return Palette::darkPanelPalette().color(QPalette::Window);
}

QColor darkNamed(NamedColor color) {
    return Palette::named(color, Palette::Appearance::dark);
}

// The widget drawn on the dark panel's background.
QImage renderOnPanel(QWidget& widget, qreal dpr = 1.0) {
    return renderOn(widget, panelBackground(), dpr);
}

constexpr QPointF centre(190, 100); // of a 380 × 200 gauge, its ring's centre line at radius 76

QPoint pointAt(double f, qreal radius = 76, qreal dpr = 1) {
    return ((centre + radius * QPointF(qSin(2 * M_PI * f), -qCos(2 * M_PI * f))) * dpr).toPoint();
}

struct Gauge {
    explicit Gauge(double percent, Status status = Status::heavy, qint64 total = 5'000'000'000,
                   qint64 count = 42) {
        widget.setPalette(Palette::darkPanelPalette());
        widget.resize(380, 200);
        widget.setLoad(percent, status, total, count);
        image = renderOnPanel(widget);
    }
    int distanceAt(double f, const QColor& colour, qreal radius = 76) const {
        return colorDistance(image.pixelColor(pointAt(f, radius)), colour);
    }
    LoadGauge widget;
    QImage image;
    QColor track = blend(panelBackground(), Palette::white(0.05));
};

// Pixels near the colour around the ring's centre, where the caption sits.
int pixelsInTheMiddleNear(const QImage& image, const QColor& colour) {
    return countNear(image, colour, QRect(150, 70, 80, 70), 39);
}

// At zero nothing but the track lies on the ring (no cap dot, no glow around
// it), and even the widest total keeps 4 points clear of its inner edge at 64.
TEST(LoadGauge, ZeroShowsOnlyTheTrackAndTheTotalKeepsClearOfIt) {
    Gauge gauge(0.0, Status::critical, 888'880'000'000, 99999);
    int stray = 0;
    for (int y = 0; y < gauge.image.height(); ++y)
        for (int x = 0; x < gauge.image.width(); ++x) {
            const qreal r = QLineF(centre, QPointF(x + 0.5, y + 0.5)).length();
            const QColor pixel = gauge.image.pixelColor(x, y);
            const int fromBackground = colorDistance(pixel, panelBackground());
            stray +=
                (r > 60 && r < 87 && colorDistance(pixel, gauge.track) > 6 && fromBackground > 6) ||
                (r > 90 && r < 100 && fromBackground > 1);
        }
    EXPECT_EQ(stray, 0);
}

// The arc runs clockwise from 12 o'clock through green, yellow, orange and red
// started a quarter in: yellow at 1/12, orange at 5/12, red at 3/4. At 0.75
// only the track lies beyond; at 1.0 the arc jumps to green at 9 o'clock and
// returns towards its start colour.
TEST(LoadGauge, ArcRunsClockwiseFromTwelveThroughTheShiftedGradient) {
    Gauge threeQuarters(0.75), full(1.0, Status::critical);
    for (const auto& [f, colour] : {std::pair{1 / 12.0, NamedColor::yellow},
                                    {5 / 12.0, NamedColor::orange},
                                    {0.745, NamedColor::red}}) {
        EXPECT_LE(threeQuarters.distanceAt(f, darkNamed(colour)), 8) << f;
        EXPECT_LE(full.distanceAt(f, darkNamed(colour)), 8) << f;
    }
    for (double f : {0.82, 0.875, 0.93})
        EXPECT_LE(threeQuarters.distanceAt(f, threeQuarters.track), 3) << f;
    EXPECT_LE(threeQuarters.distanceAt(0.875, panelBackground(), 50), 3);
    EXPECT_LE(full.distanceAt(0.755, darkNamed(NamedColor::green)), 8);
    EXPECT_LE(full.distanceAt(0.995, full.image.pixelColor(pointAt(0.005))), 8);

    // At twice the density the stroke keeps a sharp outer edge.
    const QImage hiDpi = renderOnPanel(threeQuarters.widget, 2);
    EXPECT_LE(threeQuarters.distanceAt(0.25, hiDpi.pixelColor(pointAt(0.25, 87.25, 2))), 8);
}

TEST(LoadGauge, CaptionGlowAndNameFollowTheStatusAlone) {
    for (const auto& [status, colour, other] :
         {std::tuple<Status, NamedColor, NamedColor>{Status::light, NamedColor::green,
                                                     NamedColor::red},
          {Status::critical, NamedColor::red, NamedColor::green}}) {
        SCOPED_TRACE(status.rawValue().toStdString());
        Gauge gauge(0.5, status, 4'520'000'000, 120);
        EXPECT_EQ(gauge.widget.accessibleName(),
                  "Desktop load: 4.52 GB, 120 items, " + status.rawValue());
        EXPECT_GT(pixelsInTheMiddleNear(gauge.image, darkNamed(colour)), 10);
        EXPECT_EQ(pixelsInTheMiddleNear(gauge.image, darkNamed(other)), 0);
        EXPECT_GT(pixelsInTheMiddleNear(gauge.image, Qt::white), 20) << "the total";
        // Just outside the ring beside the arc, the glow takes the status colour.
        const QColor glow = gauge.image.pixelColor(pointAt(0.25, 92));
        EXPECT_GT(colour == NamedColor::red ? glow.red() - glow.green() : glow.green() - glow.red(),
                  4);
    }
    Gauge empty(0, Status::light, 0, 1);
    EXPECT_EQ(empty.widget.accessibleName(), "Desktop load: Zero KB, 1 items, Light");
    empty.widget.setPalette(QApplication::palette()); // a light window's, with black text
    EXPECT_GT(pixelsInTheMiddleNear(renderOn(empty.widget, Qt::white), Qt::black), 20);
}

void collectNames(QAccessibleInterface* node, QStringList& names) {
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        collectNames(node->child(i), names);
}

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// Each publication redraws the panel once: the header takes the status, each
// card shows only while its list is not empty, every text reaches screen readers.
TEST(LoadDashboard, RedrawsOncePerPublicationWithStatusCardsAndAccessibleTexts) {
    QTemporaryDir emptyFolder;
    FakeEngine engine(QFile::encodeName(emptyFolder.path()));
    LoadDashboard panel(engine);
    panel.show();
    const auto cardsShown = [&] {
        return std::pair(!panel.findChild<CategoryCard*>()->isHidden(),
                         !panel.findChild<TopFilesCard*>()->isHidden());
    };
    EXPECT_EQ(cardsShown(), std::pair(false, false)) << "before the first scan";
    PaintCounter paints;
    panel.findChild<LoadGauge*>()->installEventFilter(&paints);
    constexpr qint64 GiB = 1024LL * 1024 * 1024;
    const std::tuple<qint64, Status, bool, bool> cases[] = {
        {500'000'000, Status::light, false, true},
        {2 * GiB, Status::moderate, true, false},
        {5 * GiB, Status::heavy, false, false},
        {8 * GiB, Status::critical, true, true}};
    for (const auto& [total, status, categories, items] : cases) {
        const QString name = status.rawValue();
        SCOPED_TRACE(name.toStdString());
        LoadEngine::Snapshot s;
        s.totalBytes = total;
        s.fileCount = 120;
        s.loadPercent = LoadEngine::loadFraction(total);
        s.status = LoadEngine::statusFor(s.loadPercent);
        if (categories)
            s.categoryBreakdown = {{"Videos", total * 6 / 10, NamedColor::purple},
                                   {"Images", total * 4 / 10, NamedColor::pink}};
        if (items)
            s.topItems = {fileItem("Holiday footage 2024", total / 2),
                          fileItem("Screenshots", total * 3 / 10, true)};
        const int before = paints.count;
        engine.publish(s);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(paints.count, before + 1);
        ASSERT_EQ(engine.status(), status);
        EXPECT_EQ(panel.size(), QSize(380, 540));
        EXPECT_EQ(panel.findChild<LoadGauge*>()->size(), QSize(380, 200));
        EXPECT_EQ(cardsShown(), std::pair(categories, items));
        EXPECT_EQ(panel.findChild<QScrollArea*>()->verticalScrollBar()->maximum() > 0,
                  categories && items);

        const QColor statusColour = darkNamed(status.color());
        EXPECT_LE(colorDistance(renderOnPanel(panel).pixelColor(190, 3),
                                blend(panelBackground(), Palette::withOpacity(statusColour, 0.08))),
                  1);
        const ToneLabel* icon = panel.findChild<ToneLabel*>("statusIcon");
        EXPECT_EQ(icon->text(), Symbols::glyph(status.icon()));
        EXPECT_EQ(icon->color(), statusColour);

        QStringList shown{"Status: " + name,
                          "Desktop load: " + formatBytes(total) + ", 120 items, " + name};
        for (const ToneLabel* label : panel.findChildren<ToneLabel*>())
            if (label->isVisibleTo(&panel))
                shown << (label->accessibleName().isEmpty() ? label->text()
                                                            : label->accessibleName());
        QStringList names;
        collectNames(QAccessible::queryAccessibleInterface(&panel), names);
        for (const QString& text : shown)
            EXPECT_TRUE(names.contains(text)) << text.toStdString();
    }
}

// The tiles call the engine at once, asking nothing: by click, or by Space,
// Return or the keypad's Enter once Tab has reached them; other keys do nothing.
TEST(LoadDashboard, TilesCallTheRealEngineByMouseAndKeyboard) {
    ScopedHome home;
    const QString desktop = home.home() + "/Desktop";
    QDir().mkpath(desktop);
    const QByteArray old = QFile::encodeName(desktop + "/old.iso");
    makeSparseFile(old, 3'000'000);
    setModified(old, QDateTime::currentSecsSinceEpoch() - 40 * 86400);
    makeSparseFile(QFile::encodeName(desktop + "/new.iso"), 5000);
    LoadEngine engine(QFile::encodeName(desktop));
    LoadDashboard panel(engine);
    panel.show();
    QSignalSpy published(&engine, &LoadEngine::stateChanged);
    const QList<ActionButton*> tiles = panel.findChildren<ActionButton*>();
    ASSERT_EQ(tiles.size(), 3);
    EXPECT_EQ(QStringList({tiles[0]->text(), tiles[1]->text(), tiles[2]->text()}),
              QStringList({"Old Files", "Archive All", "Rescan"}));

    tiles[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tiles[0], Qt::Key_Tab);
    QTest::keyClick(tiles[1], Qt::Key_Tab);
    ASSERT_EQ(panel.focusWidget(), tiles[2]);
    QTest::keyClick(tiles[2], Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return published.count() == 1; }, 20000));
    EXPECT_EQ(panel.findChild<LoadGauge*>()->accessibleName(),
              "Desktop load: 3 MB, 2 items, Light");
    QTest::mouseClick(tiles[2], Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return published.count() == 2; }, 20000));
    QTest::keyClick(tiles[2], Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(waitUntil([&] { return published.count() == 3; }, 20000));

    QTest::keyClick(tiles[0], Qt::Key_A);
    QTest::keyClick(tiles[0], Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(desktop + "/old.iso"));
    QTest::mouseClick(tiles[0], Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(desktop + "/old.iso"));
    EXPECT_TRUE(waitUntil([&] { return engine.fileCount() == 1; }, 20000));

    QTest::keyClick(tiles[1], Qt::Key_Return);
    EXPECT_FALSE(QFile::exists(desktop + "/new.iso"));
}

struct Categories {
    Categories() { widget.setPalette(Palette::darkPanelPalette()); }
    void set(const QList<LoadEngine::Category>& categories, qint64 total) {
        widget.setCategories(categories, total);
        widget.resize(380, widget.sizeHint().height());
        image = renderOnPanel(widget);
        bars.clear();
        for (QWidget* child : widget.findChildren<QWidget*>())
            if (child->accessibleName().contains(" share: "))
                bars << child;
    }
    // How far a bar's fill is from the colour at a fraction of its width.
    int barAt(int bar, double fraction, const QColor& colour) const {
        const QPoint at = bars.at(bar)->mapTo(&widget, QPoint(bars[bar]->width() * fraction, 2));
        return colorDistance(image.pixelColor(at), colour);
    }
    CategoryCard widget;
    QImage image;
    QList<QWidget*> bars;
};

// Only the first five categories show, with no remainder row; bars fill in
// proportion to the total, completely for a category holding all of it, and
// not at all when the total is zero or negative.
TEST(CategoryCard, FiveRowsAtMostWithBarsProportionalToTheTotal) {
    const QStringList names{"Videos", "Images", "Documents", "Archives", "Audio", "Apps", "Other"};
    QList<LoadEngine::Category> seven;
    for (int i = 0; i < names.size(); ++i)
        seven.append({names[i], 9'000'000 - i * 1'100'000, NamedColor::purple});
    Categories card;
    card.set(seven, 40'000'000);
    const QStringList texts = labelTexts(card.widget);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(texts.contains(names[i]), i < 5) << i;
        EXPECT_EQ(texts.contains(formatBytes(seven[i].bytes)), i < 5) << i;
    }
    EXPECT_FALSE(texts.contains(formatBytes(seven[5].bytes + seven[6].bytes)));
    EXPECT_EQ(card.bars.size(), 5);

    const QList<LoadEngine::Category> three{{"Videos", 750, NamedColor::purple},
                                            {"Images", 250, NamedColor::pink},
                                            {"Apps", 1000, NamedColor::green}};
    const QColor track =
        blend(blend(panelBackground(), Palette::white(0.02)), Palette::white(0.05));
    card.set(three, 1000);
    EXPECT_EQ(card.bars.size(), 3) << "a new list replaces the rows";
    EXPECT_LE(card.barAt(0, 0.7, darkNamed(NamedColor::purple)), 2);
    EXPECT_LE(card.barAt(0, 0.8, track), 2);
    EXPECT_LE(card.barAt(1, 0.2, darkNamed(NamedColor::pink)), 2);
    EXPECT_LE(card.barAt(1, 0.3, track), 2);
    EXPECT_LE(card.barAt(2, 0.995, darkNamed(NamedColor::green)), 2);
    for (const qint64 total : {qint64(0), qint64(-5)}) {
        card.set(three, total);
        for (int bar = 0; bar < 3; ++bar)
            for (double f : {0.0, 0.1, 0.5, 0.99})
                EXPECT_LE(card.barAt(bar, f, track), 2) << total << ", " << bar << " at " << f;
        EXPECT_TRUE(labelTexts(card.widget).contains(formatBytes(750))) << total;
    }
}

// Every item gets a row with its kind's glyph; a long name, or one holding line
// breaks or tabs, stays on one line and the sizes keep to the right edge.
TEST(TopFilesCard, OneLineRowPerItemWithKindGlyphAndSizeAtTheRightEdge) {
    const QString longName = QString(120, u'w') + ".mov";
    const QList<LoadEngine::FileItem> items{fileItem(longName, 2'340'000'000),
                                            fileItem("Screenshots", 9'000'000, true),
                                            fileItem("first line\nsecond line", 5000),
                                            fileItem("tab\there", 7000), fileItem("plain", 1000)};
    TopFilesCard card;
    card.setPalette(Palette::darkPanelPalette());
    card.setItems(items);
    card.resize(380, card.sizeHint().height());
    card.show();
    for (const auto& item : items) {
        SCOPED_TRACE(item.name.toStdString());
        const ToneLabel* name = labelWithText(card, item.name);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->height(), labelWithText(card, "plain")->height());
        EXPECT_EQ(name->accessibleName().isEmpty() ? name->text() : name->accessibleName(),
                  item.name);
        const QList<ToneLabel*> row = name->parentWidget()->findChildren<ToneLabel*>();
        ASSERT_EQ(row.size(), 3);
        EXPECT_EQ(row[0]->text(), Symbols::glyph(item.isDirectory ? "folder.fill" : "doc.fill"));
        EXPECT_EQ(row[2]->shownText(), formatBytes(item.size));
        EXPECT_EQ(row[2]->mapTo(&card, row[2]->rect().topRight()).x() + 1, 380 - 14 - 12);
    }
    EXPECT_TRUE(labelWithText(card, longName)->shownText().endsWith(QChar(0x2026)));
    EXPECT_EQ(labelWithText(card, "first line\nsecond line")->shownText(),
              "first line second line");
    EXPECT_EQ(labelWithText(card, "tab\there")->shownText(), "tab here");
}

// Every text is wrapped, never shortened, on a fixed page that scrolls.
TEST(HelpPopover, WrapsEveryTextOnAFixedScrollingPage) {
    HelpPopover page;
    page.show();
    EXPECT_EQ(labelTexts(page).size(), 19) << "every heading and paragraph";
    EXPECT_EQ(page.size(), QSize(360, 480));
    auto* scroll = page.findChild<QScrollArea*>();
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    for (const ToneLabel* label : page.findChildren<ToneLabel*>()) {
        EXPECT_LE(label->mapTo(scroll->widget(), label->rect().topRight()).x(),
                  scroll->viewport()->width() - 16)
            << label->text().toStdString();
        EXPECT_EQ(label->shownText(), label->text()) << "wrapped, never shortened";
    }
}

} // namespace
