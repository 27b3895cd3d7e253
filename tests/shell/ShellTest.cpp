#include "HeftwickApp.h"
#include "Pixels.h"
#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "ShellTestSupport.h"
#include "dashboard/LoadDashboard.h"
#include "shell/LaunchToken.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/PlatformChoice.h"
#include "shell/Sidebar.h"
#include "shell/StatusIcon.h"

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QSet>
#include <QSplitter>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A second start hands its launcher's token to the running app as D-Bus
// activation's platform data; the X server time of the launch ends a startup ID.
TEST(LaunchToken, TravelsAsPlatformDataAndTellsTheLaunchTimeOfAStartupId) {
    const LaunchToken both{"xfce4-appfinder-42-host-pilewatch-0_TIME123456", "wl-token-7"};
    const QVariantMap data = both.toPlatformData();
    EXPECT_EQ(data.value("desktop-startup-id").toString(), QString::fromUtf8(both.startupId));
    EXPECT_EQ(data.value("activation-token").toString(), "wl-token-7");
    EXPECT_EQ(LaunchToken::fromPlatformData(data), both);
    EXPECT_TRUE(LaunchToken().toPlatformData().isEmpty()) << "empty keys sent";
    EXPECT_EQ(LaunchToken::fromPlatformData({{"activation-token", 5}}).activationToken, "5");

    EXPECT_EQ(both.launchTime(), 123456u);
    for (const QByteArray& id :
         {QByteArray("no-time-here"), QByteArray("x_TIME"), QByteArray("x_TIME0"),
          QByteArray("x_TIME4294967296"), QByteArray("x_TIME12_more"), QByteArray()})
        EXPECT_EQ((LaunchToken{id, {}}.launchTime()), std::nullopt) << id.constData();
    EXPECT_EQ((LaunchToken{"x_TIME4294967295", {}}.launchTime()), 4294967295u);
}

TEST(ByteFormat, DecimalUnitsOneUnitAdaptivePrecisionInTheLocale) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    // clang-format off
    const std::pair<qint64, QString> cases[] = { // rounding up to 1000 moves up a unit
        {0, "Zero KB"}, {1, "1 byte"}, {999, "999 bytes"}, {1000, "1 KB"}, {1499, "1 KB"},
        {1500, "2 KB"}, {999'499, "999 KB"}, {999'999, "1 MB"}, {1'049'999, "1 MB"},
        {1'500'000, "1.5 MB"}, {999'960'000, "1 GB"}, {2'300'000'000, "2.3 GB"},
        {2'340'000'000, "2.34 GB"}, {10'737'418'240, "10.74 GB"}, {999'999'999'999, "1 TB"},
        {1'234'560'000'000, "1.23 TB"}, {INT64_MAX, "9.22 EB"}, {-1'500'000, "-1.5 MB"},
        {INT64_MIN, "-9.22 EB"}};
    // clang-format on
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(formatBytes(bytes, english), text);
        EXPECT_EQ(formatBytes(bytes, german), QString(text).replace('.', ','));
    }
}

int inkedPixels(const QImage& image) {
    return countInk(image, [](const QColor& c) { return c.alpha() > 0; });
}

TEST(Symbols, EveryUsedNameHasItsOwnGlyphAndUnknownNamesDrawNothing) {
    const QStringList usedNames =
        QString("gauge.with.dots.needle.67percent doc.on.doc trash folder.badge.plus "
                "arrow.clockwise info.circle.fill leaf doc.text exclamationmark.triangle.fill "
                "folder.fill doc.fill checkmark.circle.fill lightbulb 1.circle.fill "
                "2.circle.fill 3.circle.fill 4.circle.fill")
            .split(' ');
    const QRawFont raw = QRawFont::fromFont(Symbols::font(24));
    ASSERT_EQ(raw.familyName(), "Material Icons");
    QSet<QString> glyphs;
    for (const QString& name : usedNames) {
        SCOPED_TRACE(name.toStdString());
        const QString g = Symbols::glyph(name);
        ASSERT_EQ(g.size(), 1);
        EXPECT_TRUE(raw.supportsCharacter(g.at(0)));
        glyphs.insert(g);
    }
    EXPECT_EQ(glyphs.size(), usedNames.size()) << "two names share a glyph";

    const QImage drawn = Symbols::pixmap("trash", Qt::white, 24, 2.0).toImage();
    EXPECT_EQ(drawn.size(), QSize(48, 48));
    EXPECT_GT(inkedPixels(drawn), 50);
    EXPECT_TRUE(Symbols::glyph("no.such.symbol").isEmpty());
    EXPECT_EQ(inkedPixels(Symbols::pixmap("no.such.symbol", Qt::white, 24, 1.0).toImage()), 0);
}

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
    // The tab, the one highlighted row and the detail column agree.
    void expectShown(int index, const QString& title) {
        EXPECT_EQ(window.selectedTab(), index);
        const QList<QListWidgetItem*> selected = sidebar.selectedItems();
        EXPECT_EQ(selected.size() == 1 ? selected.first()->text() : QString(), title);
        EXPECT_EQ(window.currentTab()->accessibleName(), title);
    }

    ScopedHome home;
    PilewatchApp app;
    MainWindowView& window = app.mainWindow();
    Sidebar& sidebar = *window.sidebar();
};

TEST_F(MainWindowTest, OpensAt800By600OnTheDashboardAndStopsShrinkingAt700By500) {
    EXPECT_EQ(window.size(), QSize(800, 600));
    // A frame to screen readers, not an anonymous filler.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    EXPECT_FALSE(window.windowFlags() & Qt::FramelessWindowHint);
    expectShown(0, "Dashboard");

    const auto headerColor = [&] { return row("Overview")->foreground().color(); };
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::light));
    window.setPalette(Palette::darkPanelPalette());
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::dark));

    window.resize(400, 300);
    EXPECT_EQ(window.size(), QSize(700, 500));
    window.findChild<QSplitter*>()->setSizes({60, 640});
    QCoreApplication::processEvents();
    EXPECT_GE(sidebar.width(), 220);
    EXPECT_GT(window.currentTab()->width(), 0);
    EXPECT_LE(sidebar.width() + window.currentTab()->width(), window.width());
}

TEST_F(MainWindowTest, ClicksAndArrowKeysShowOnlyTheSelectedTabAndKeepTheSidebarWidth) {
    const int sidebarWidth = sidebar.width();
    QPointer<QWidget> previous = window.currentTab();
    for (const auto& [index, title] : {std::pair{1, "Files"}, {2, "Cleanup"}, {0, "Dashboard"}}) {
        SCOPED_TRACE(title);
        click(title);
        QCoreApplication::processEvents();
        expectShown(index, title);
        EXPECT_TRUE(previous.isNull()) << "the tab shown before still exists";
        EXPECT_EQ(sidebar.width(), sidebarWidth);
        previous = window.currentTab();
    }
    // Section headers select nothing, and the selected row cannot be cleared.
    click("Actions");
    expectShown(0, "Dashboard");
    click("Dashboard", Qt::ControlModifier);
    expectShown(0, "Dashboard");
    EXPECT_EQ(window.currentTab(), previous.data());

    // Arrow keys skip the section headers and stop at the ends.
    sidebar.setFocus();
    const int indexes[] = {1, 2, 2, 1, 0, 0}; // three presses down, then three up
    for (int step = 0; step < 6; ++step) {
        QTest::keyClick(&sidebar, step < 3 ? Qt::Key_Down : Qt::Key_Up);
        expectShown(indexes[step], Sidebar::destinations()[indexes[step]].title);
    }
}

TEST(PanelPlacement, OnTheBarsInnerSideBesideTheIconAndAlwaysInsideTheWorkArea) {
    const QRect screen(0, 0, 1280, 800), rightScreen(1280, 0, 1920, 1080);
    const QRect underTopBar = screen.adjusted(0, 28, 0, 0),
                overBottomBar = screen.adjusted(0, 0, 0, -28);
    const QRect topBar(0, 0, 1280, 28), bottomBar(0, 772, 1280, 28), leftBar(0, 0, 40, 800);
    const QRect click(1250, 14, 1, 1);
    struct Case {
        const char* what;
        QRect anchor, bar, screen, area;
        QPoint topLeft;
    };
    // clang-format off
    const Case cases[] = {
        {"top bar, centred below the icon", {600, 2, 24, 24}, topBar, screen, underTopBar, {422, 32}},
        {"a click in the top bar", click, topBar, screen, underTopBar, {900, 32}},
        {"a click, bar unknown, strut known", click, {}, screen, underTopBar, {900, 33}},
        // A 30-pixel bar of another client, under XWayland: no dock, no strut.
        {"a click in an unknown bar", {1260, 15, 1, 1}, {}, screen, screen, {900, 35}},
        {"the same at the bottom", {1260, 784, 1, 1}, {}, screen, screen, {900, 225}},
        {"bottom bar", {600, 774, 24, 24}, bottomBar, screen, overBottomBar, {422, 228}},
        {"bottom bar without strut", {600, 774, 24, 24}, bottomBar, screen, screen, {422, 228}},
        {"a vertical bar on the left", {8, 700, 24, 24}, leftBar, screen, screen.adjusted(40, 0, 0, 0), {44, 260}},
        {"an icon on no known bar", {0, 0, 10, 10}, {}, screen, screen, {0, 14}},
        {"the left end of a top bar", {0, 2, 24, 24}, topBar, screen, underTopBar, {0, 32}},
        {"a second screen", {3190, 0, 10, 10}, QRect(1280, 0, 1920, 30), rightScreen,
         rightScreen.adjusted(0, 30, 0, 0), {2820, 34}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect panel = PanelWindow::placement(c.anchor, c.bar, c.screen, c.area);
        EXPECT_EQ(panel, QRect(c.topLeft, QSize(380, 540)));
        EXPECT_TRUE(c.area.contains(panel));
    }
    // Without struts: a bar by its length, an icon slot by the nearest edge.
    EXPECT_EQ(PanelWindow::barEdge(QRect(1270, 300, 10, 300), screen, screen), Qt::RightEdge);
    EXPECT_EQ(PanelWindow::barEdge(QRect(0, 0, 800, 28), screen, screen), Qt::TopEdge);
    EXPECT_EQ(PanelWindow::barEdge(QRect(1250, 2, 22, 26), screen, screen), Qt::TopEdge);
    // A tray only as wide as its icon, in a corner: the top edge, as most bars.
    EXPECT_EQ(PanelWindow::barEdge(QRect(1257, 0, 23, 24), screen, screen), Qt::TopEdge);
    EXPECT_EQ(PanelWindow::barEdge(QRect(100, 300, 10, 10), screen, screen), Qt::LeftEdge);
}

// How many of the icon's opaque pixels stand out from the bar by 3:1 or more.
int pixelsStandingOut(const QImage& icon, const QColor& bar) {
    return countInk(
        icon, [&](const QColor& c) { return c.alpha() == 255 && contrastRatio(c, bar) >= 3.0; });
}

// Run from the build folder the icon theme has no Pilewatch icons and the
// drawing built into the executable stands in; installed, the icon has its name.
// Drawn in its own colours (pixmap-only trays, XEmbed, hosts that do not
// recolour), both the light gauge and its dark outline show on any bar.
TEST(StatusIcon, TheInstalledSymbolicIconByNameElseTheBuiltInDrawingVisibleOnAnyBar) {
    ScopedHome home;
    {
        ScopedIconTheme buildFolder;
        const QIcon builtIn = StatusIcon::icon();
        EXPECT_TRUE(builtIn.name().isEmpty());
        EXPECT_GT(inkedPixels(builtIn.pixmap(QSize(22, 22)).toImage()), 100);
        EXPECT_TRUE(PilewatchApp().mainWindow().windowIcon().name().isEmpty());
    }
    ScopedIconTheme installed;
    ASSERT_TRUE(installed.add("symbolic/apps", "io.pilewatch.Pilewatch-symbolic.svg"));
    ASSERT_TRUE(installed.add("scalable/apps", "io.pilewatch.Pilewatch.svg"));
    const QIcon themed = StatusIcon::icon();
    EXPECT_EQ(themed.name(), "io.pilewatch.Pilewatch-symbolic");
    EXPECT_EQ(PilewatchApp().mainWindow().windowIcon().name(), "io.pilewatch.Pilewatch");

    for (const int size : {16, 22, 32}) {
        const QImage drawn = themed.pixmap(QSize(size, size), 2.0).toImage();
        EXPECT_EQ(drawn.size(), QSize(size, size) * 2) << "not drawn at twice the size";
        // Light, dark and Debian's stock waybar blue.
        for (const char* bar : {"#f6f5f4", "#ffffff", "#303030", "#000000", "#2980b9"}) {
            SCOPED_TRACE(std::to_string(size) + " px on " + bar);
            EXPECT_GT(pixelsStandingOut(drawn, QColor(bar)), size * size / 4);
        }
    }
}

TEST(StatusIcon, IconThemePathOnlyForAnInstallationOutsideTheStandardIconFolders) {
    QTemporaryDir prefix;
    const QString icons = prefix.path() + "/share/icons";
    ASSERT_TRUE(QDir().mkpath(prefix.path() + "/bin"));
    EXPECT_EQ(StatusIcon::themePathFor(prefix.path() + "/bin", {}), "") << "no icon installed";
    ASSERT_TRUE(QDir().mkpath(icons + "/hicolor/symbolic/apps"));
    ASSERT_TRUE(QFile::copy(PILEWATCH_DATA_DIR "/io.pilewatch.Pilewatch-symbolic.svg",
                            icons + "/hicolor/symbolic/apps/io.pilewatch.Pilewatch-symbolic.svg"));
    EXPECT_EQ(StatusIcon::themePathFor(prefix.path() + "/bin", {"/usr/share/icons"}),
              QFileInfo(icons).canonicalFilePath());
    EXPECT_EQ(StatusIcon::themePathFor(prefix.path() + "/bin", {"/usr/share/icons", icons + "/"}),
              "");
}

// An XEmbed slot is seldom square: the icon keeps its shape, drawn afresh at
// the slot's shorter side.
TEST(StatusIcon, InAnXEmbedSlotSquareAndCentredAtTheSlotsSize) {
    ScopedHome home;
    ScopedIconTheme buildFolder;
    const QIcon slotIcon = StatusIcon::squareInSlot(StatusIcon::icon());
    EXPECT_EQ(slotIcon.actualSize(QSize(22, 26)), QSize(22, 22));
    for (const qreal ratio : {1.0, 2.0}) {
        const auto paintedSlot = [&](const std::function<void(QPainter&)>& paint) {
            QImage slot(QSize(22, 26) * ratio, QImage::Format_ARGB32);
            slot.setDevicePixelRatio(ratio);
            slot.fill(Qt::transparent);
            QPainter painter(&slot);
            paint(painter);
            painter.end();
            return slot;
        };
        EXPECT_EQ(paintedSlot([&](QPainter& p) { slotIcon.paint(&p, QRect(0, 0, 22, 26)); }),
                  paintedSlot([&](QPainter& p) {
                      p.drawPixmap(QPoint(0, 2), StatusIcon::icon().pixmap(QSize(22, 22), ratio));
                  }))
            << "at pixel ratio " << ratio;
    }
}

// On a compositor's layer shell the panel holds to the bar's edge at the
// icon, or to the tray's corner when the host tells no position; the surface
// that catches clicks outside it leaves out wherever the compositor may put it.
TEST(PanelWindow, OnALayerShellHoldsToTheBarsEdgeAtTheIconAndLeavesItsReachToItself) {
    using Layer = PanelWindow::LayerPlacement;
    const QRect screen(0, 0, 1280, 800);
    const int gap = PanelWindow::anchorGap;
    const auto at = [&](const QRect& icon) { return PanelWindow::layerPlacement(icon, screen); };
    EXPECT_EQ(at({}), (Layer{Qt::TopEdge | Qt::RightEdge, QMargins(0, gap, gap, 0)}));
    EXPECT_EQ(at(QRect(600, 10, 1, 1)),
              (Layer{Qt::TopEdge | Qt::LeftEdge, QMargins(411, gap, 0, 0)}));
    // Near the screen's end and on a bottom bar (Plasma's Activate(x, y) is global).
    EXPECT_EQ(at(QRect(1270, 790, 1, 1)),
              (Layer{Qt::BottomEdge | Qt::LeftEdge, QMargins(900, 0, 0, gap)}));
    EXPECT_EQ(PanelWindow::layerPlacement(QRect(1290, 10, 1, 1), QRect(1280, 0, 1280, 800)),
              (Layer{Qt::TopEdge | Qt::LeftEdge, QMargins(0, gap, 0, 0)}));

    // Where the compositor tells of no bar (KWin with Plasma's panels), the
    // panel keeps clear of a bar twice as thick as the icon's distance from
    // the edge: Plasma's 44-pixel bottom panel, clicked at y = 777.
    const auto clear = [&](const QRect& icon) {
        return PanelWindow::clearOfBar(at(icon), icon, screen);
    };
    EXPECT_EQ(clear(QRect(1071, 777, 1, 1)).margins, QMargins(882, 0, 0, gap + 44));
    EXPECT_EQ(clear(QRect(600, 12, 1, 1)).margins, QMargins(411, gap + 24, 0, 0));
    EXPECT_EQ(clear({}), at({}));

    // A 30-pixel bar leaves 766 of 800 pixels below a 4-pixel margin.
    EXPECT_EQ(PanelWindow::layerReach(at({}), screen.size(), 766, 540),
              QRect(896, gap, 380, 540 + 30));
    EXPECT_EQ(PanelWindow::layerReach(at(QRect(1270, 790, 1, 1)), screen.size(), 766, 540),
              QRect(900, 800 - gap - 540 - 30, 380, 540 + 30));
}

TEST(PanelWindow, OpensAsAFramelessDarkPopupTakesTheKeyboardAndClosesOnEscapeOrAClickOutside) {
    ScopedHome home;
    ASSERT_TRUE(putSampleDesktop(home));
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(waitUntil([&] { return delegate.engine().fileCount() == 3; }));
    ASSERT_EQ(delegate.statusItem(), nullptr); // no tray host on the offscreen platform
    EXPECT_EQ(delegate.popover(), nullptr) << "a panel made with no tray to open it";
    delegate.togglePopover();
    // The panel as the tray icon's appearance would make it.
    PanelWindow panel(new LoadDashboard(delegate.engine()));

    const QRect trayIcon(300, 0, 24, 24); // on the offscreen platform's 800 × 600 screen
    panel.toggle(trayIcon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.geometry(), QRect(QPoint(122, 28), QSize(380, 540)));
    EXPECT_EQ(panel.windowType(), Qt::Popup);
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(QApplication::activePopupWidget(), &panel);
    // Dark whatever the application's palette is.
    EXPECT_EQ(Palette::appearanceOf(QApplication::palette()), Palette::Appearance::light);
    EXPECT_EQ(Palette::appearanceOf(panel.palette()), Palette::Appearance::dark);
    EXPECT_EQ(panel.grab().toImage().pixelColor(2, panel.height() - 3),
              Palette::darkPanelPalette().color(QPalette::Window));

    // The panel itself has the focus, not a tile that Space would press; Tab
    // reaches the first tile (past the scrolled page, which arrow keys scroll).
    EXPECT_EQ(QApplication::focusWidget(), &panel);
    QWidget* tile = nullptr;
    for (int step = 0; step < 3 && !tile; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(panel.isAncestorOf(QApplication::focusWidget()));
        if (QApplication::focusWidget()->accessibleName() == "Old Files")
            tile = QApplication::focusWidget();
    }
    ASSERT_NE(tile, nullptr);
    const QObjectList content = panel.children();
    QTest::keyClick(tile, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());

    panel.toggle(trayIcon);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.children(), content);
    EXPECT_EQ(QApplication::focusWidget(), tile);
    // The click outside that closes it may reach the tray icon too: it must not reopen it.
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(panel.isVisible());
    panel.toggle(trayIcon);
    EXPECT_FALSE(panel.isVisible());
}

} // namespace

// GNOME's Wayland session runs the app under XWayland, where the panel can
// be placed at the icon; every other session, and any platform the user
// chose, is left to Qt.
TEST(PlatformChoice, XWaylandOnGnomesWaylandSessionOnlyAndNeverOverTheUsersChoice) {
    using PlatformChoice::platformFor;
    EXPECT_EQ(platformFor("", "wayland", "GNOME", ":0"), "xcb");
    EXPECT_EQ(platformFor("", "wayland", "ubuntu:GNOME", ":1"), "xcb");
    EXPECT_EQ(platformFor("wayland", "wayland", "GNOME", ":0"), "");
    EXPECT_EQ(platformFor("", "wayland", "GNOME", ""), "") << "no XWayland to run on";
    EXPECT_EQ(platformFor("", "wayland", "KDE", ":0"), "");
    EXPECT_EQ(platformFor("", "wayland", "sway", ":0"), "");
    EXPECT_EQ(platformFor("", "x11", "GNOME", ":0"), "");
    EXPECT_EQ(platformFor("", "wayland", "GNOME-Classic", ":0"), "");
}
