#include "HeftwickApp.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "ShellTestSupport.h"
#include "dashboard/LoadDashboard.h"
#include "shell/ByteFormat.h"
#include "shell/LaunchToken.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/Sidebar.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QRawFont>
#include <QSet>
#include <QSplitter>
#include <QTest>
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

    qputenv("DESKTOP_STARTUP_ID", "id_TIME9");
    qputenv("XDG_ACTIVATION_TOKEN", "token");
    EXPECT_EQ(LaunchToken::fromEnvironment(), (LaunchToken{"id_TIME9", "token"}));
    qunsetenv("DESKTOP_STARTUP_ID");
    qunsetenv("XDG_ACTIVATION_TOKEN");
    EXPECT_EQ(LaunchToken::fromEnvironment(), LaunchToken());
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
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    const uchar* bits = alpha.constBits();
    return int(std::count_if(bits, bits + alpha.sizeInBytes(), [](uchar a) { return a > 0; }));
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

void saveRendering(QWidget& widget, const QString& name, qreal dpr = 1) {
    QPixmap pixmap(widget.size() * dpr);
    pixmap.setDevicePixelRatio(dpr);
    widget.render(&pixmap);
    EXPECT_TRUE(pixmap.save(screenshotPath(name)));
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
    EXPECT_EQ(window.windowTitle(), "Pilewatch");
    // A frame to screen readers, not an anonymous filler.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    EXPECT_FALSE(window.windowFlags() & Qt::FramelessWindowHint);
    expectShown(0, "Dashboard");
    saveRendering(window, "main-window.png");
    saveRendering(window, "main-window@2x.png", 2);

    const auto headerColor = [&] { return row("Overview")->foreground().color(); };
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::light));
    window.setPalette(Palette::darkPanelPalette());
    EXPECT_EQ(headerColor(), Palette::secondaryLabel(Palette::Appearance::dark));
    saveRendering(window, "main-window-dark.png");

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

TEST(PanelPlacement, CentredBelowTheAnchorAboveItWithoutRoomAndAlwaysOnTheScreen) {
    const QRect screen(0, 0, 1280, 800), rightScreen(1280, 0, 1920, 1080);
    const std::tuple<QRect, QRect, QPoint> cases[] = {
        {{600, 0, 24, 24}, screen, {422, 28}},        // centred below
        {{600, 776, 24, 24}, screen, {422, 232}},     // no room below
        {{1270, 0, 10, 10}, screen, {900, 14}},       // right edge
        {{0, 0, 10, 10}, screen, {0, 14}},            // left edge
        {{1279, 799, 1, 1}, screen, {900, 255}},      // bottom right corner
        {{640, 400, 1, 1}, screen, {451, 0}},         // no room below nor above
        {{3190, 0, 10, 10}, rightScreen, {2820, 14}}, // a second screen
    };
    for (const auto& [anchor, area, topLeft] : cases) {
        SCOPED_TRACE(anchor.x());
        EXPECT_EQ(PanelWindow::placement(anchor, area), QRect(topLeft, QSize(380, 540)));
    }
}

// The most opaque pixel's colour: the ink of a one-colour icon.
QColor inkColour(const QImage& image) {
    QColor ink(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > ink.alpha())
                ink = image.pixelColor(x, y);
    return ink;
}

// Run from the build folder the icon theme has no Pilewatch icons; installed, it has.
TEST(StatusIcon, TheInstalledSymbolicIconByNameWhereTheThemeHasItElseTheWhiteGlyph) {
    ScopedHome home;
    {
        ScopedIconTheme buildFolder;
        const QIcon glyph = AppDelegate::statusIcon();
        EXPECT_TRUE(glyph.name().isEmpty());
        const QImage drawn = glyph.pixmap(QSize(22, 22)).toImage();
        EXPECT_GT(inkedPixels(drawn), 40);
        EXPECT_EQ(inkColour(drawn).rgb(), QColor(Qt::white).rgb());
        EXPECT_TRUE(PilewatchApp().mainWindow().windowIcon().name().isEmpty());
    }
    ScopedIconTheme installed;
    ASSERT_TRUE(installed.add("symbolic/apps", "io.pilewatch.Pilewatch-symbolic.svg"));
    ASSERT_TRUE(installed.add("scalable/apps", "io.pilewatch.Pilewatch.svg"));
    const QIcon themed = AppDelegate::statusIcon();
    EXPECT_EQ(themed.name(), "io.pilewatch.Pilewatch-symbolic");
    // Where the panel does not recolour it, a mid grey that shows on light and dark panels.
    const QImage drawn = themed.pixmap(QSize(22, 22)).toImage();
    EXPECT_GT(inkedPixels(drawn), 40);
    const QColor ink = inkColour(drawn);
    EXPECT_EQ(ink.red(), ink.green());
    EXPECT_EQ(ink.green(), ink.blue());
    EXPECT_NEAR(ink.lightnessF(), 0.5, 0.05);
    EXPECT_TRUE(drawn.save(screenshotPath("tray-icon-symbolic.png")));
    EXPECT_TRUE(
        themed.pixmap(QSize(22, 22), 4.0).save(screenshotPath("tray-icon-symbolic@4x.png")));
    EXPECT_EQ(PilewatchApp().mainWindow().windowIcon().name(), "io.pilewatch.Pilewatch");
}

// On a compositor's layer shell the panel holds to the bar's edge at the
// icon, or to the tray's corner when the host tells no position; the surface
// that catches clicks outside it leaves out wherever the compositor may put it.
TEST(PanelWindow, OnALayerShellHoldsToTheBarsEdgeAtTheIconAndLeavesItsReachToItself) {
    using Layer = PanelWindow::LayerPlacement;
    const QRect screen(0, 0, 1280, 800);
    const int gap = PanelWindow::anchorGap;
    EXPECT_EQ(PanelWindow::layerPlacement({}, screen),
              (Layer{Qt::TopEdge | Qt::RightEdge, QMargins(0, gap, gap, 0)}));
    EXPECT_EQ(PanelWindow::layerPlacement(QRect(600, 10, 1, 1), screen),
              (Layer{Qt::TopEdge | Qt::LeftEdge, QMargins(411, gap, 0, 0)}));
    // Near the screen's end and on a bottom bar (Plasma's Activate(x, y) is global).
    EXPECT_EQ(PanelWindow::layerPlacement(QRect(1270, 790, 1, 1), screen),
              (Layer{Qt::BottomEdge | Qt::LeftEdge, QMargins(900, 0, 0, gap)}));
    EXPECT_EQ(PanelWindow::layerPlacement(QRect(1290, 10, 1, 1), QRect(1280, 0, 1280, 800)),
              (Layer{Qt::TopEdge | Qt::LeftEdge, QMargins(0, gap, 0, 0)}));

    // A 30-pixel bar leaves 766 of 800 pixels below a 4-pixel margin.
    const QSize output(1280, 800);
    EXPECT_EQ(PanelWindow::layerReach(PanelWindow::layerPlacement({}, screen), output, 766, 540),
              QRect(896, gap, 380, 540 + 30));
    EXPECT_EQ(PanelWindow::layerReach(PanelWindow::layerPlacement(QRect(1270, 790, 1, 1), screen),
                                      output, 766, 540),
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
    saveRendering(panel, "panel.png");
    saveRendering(panel, "panel@2x.png", 2);

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
