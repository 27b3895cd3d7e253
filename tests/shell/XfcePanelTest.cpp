// The app in XFCE's real panel (xfce4-panel, whose Status Tray hosts
// StatusNotifierItems) with xfwm4, on the private X server and session bus of
// the test: the icon in the bar's colours, the panel opened by real clicks
// beside it and closed by Escape and by clicks elsewhere. One panel session,
// moved from a light top bar to a dark bottom one.
#include "HeftwickApp.h"
#include "Pixels.h"
#include "ShellTestSupport.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/StatusNotifierItem.h"
#include "shell/X11Desktop.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

constexpr int barSize = 28;

// The icon as the bar shows it: where its ink lies, and how it stands out.
struct BarIcon {
    QRect bounds;        // screen coordinates of the pixels that stand out
    QColor bar;          // the bar's own colour (its most common one)
    int standingOut = 0; // pixels at 3:1 or more against the bar
    int darker = 0;      // those of them darker than the bar
    int lighter = 0;     // pixels plainly lighter than the bar, standing out or not
};

// Looks for the tray icon in the right end of the bar, where the Status Tray is.
BarIcon findIcon(const QRect& bar) {
    const QRect end(bar.right() - 80, bar.top(), 80, bar.height());
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, end.x(), end.y(), end.width(), end.height())
                            .toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            ++counts[shot.pixel(x, y)];
    BarIcon icon;
    icon.bar = QColor(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                      })->first);
    const auto standsOut = [&](const QColor& c) { return contrastRatio(c, icon.bar) >= 3.0; };
    icon.bounds = inkBox(shot, standsOut).translated(end.topLeft());
    icon.standingOut = countInk(shot, standsOut);
    icon.darker = countInk(shot, [&](const QColor& c) {
        return standsOut(c) && relativeLuminance(c) < relativeLuminance(icon.bar);
    });
    return icon;
}

// XFCE's settings store and panel with a private configuration: one panel
// along the top with a spacer and the Status Tray.
class XfceSession {
public:
    explicit XfceSession(const ScopedHome& home) {
        const QString channel = home.configHome() + "/xfce4/xfconf/xfce-perchannel-xml";
        QDir().mkpath(channel);
        QFile config(channel + "/xfce4-panel.xml");
        if (config.open(QIODevice::WriteOnly))
            config.write(panelConfig);
        config.close();
        m_settings = std::make_unique<ChildProcess>(XFCONFD, QStringList());
        m_windowManager = std::make_unique<ChildProcess>("xfwm4", QStringList{"--compositor=off"});
    }
    void startPanel(const QString& gtkTheme) {
        m_panel.reset();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("GTK_THEME", gtkTheme);
        m_panel = std::make_unique<ChildProcess>("xfce4-panel", QStringList(), environment);
    }
    bool set(const QString& property, const QString& type, const QString& value) {
        return ChildProcess("xfconf-query",
                            {"-c", "xfce4-panel", "-p", property, "-t", type, "-s", value})
            .succeeds(5000);
    }

private:
    static constexpr const char* panelConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="false"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
)";
    std::unique_ptr<ChildProcess> m_settings;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<ChildProcess> m_panel;
};

class XfcePanelTest : public ::testing::Test {
protected:
    // The bar as a dock on the X server, once the panel shows it at that edge.
    QRect barAlong(Qt::Edge edge) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint inside = edge == Qt::TopEdge
                                  ? QPoint(screen.center().x(), 2)
                                  : QPoint(screen.center().x(), screen.bottom() - 2);
        QRect bar;
        waitUntil(
            [&] {
                bar = X11Desktop::dockAt(inside);
                return bar.height() >= barSize && bar.width() == screen.width();
            },
            10000);
        return bar;
    }
    // The icon once the Status Tray shows it in the bar.
    BarIcon iconIn(const QRect& bar) {
        BarIcon icon;
        waitUntil(
            [&] {
                icon = findIcon(bar);
                return icon.standingOut > 30;
            },
            10000);
        waitUntil([] { return false; }, 300); // the last frame of the tray's layout
        return findIcon(bar);
    }
    // The panel, opened with a click on the icon at a user's pace (a click
    // right after the one that closed the panel is taken for its echo); empty
    // when it does not open.
    QRect openByClick(const BarIcon& icon) {
        PanelWindow& panel = *app.appDelegate().popover();
        waitUntil([] { return false; }, 400);
        if (!clickAt(icon.bounds.center()) || !waitUntil([&] { return panel.isVisible(); }))
            return {};
        if (!QTest::qWaitForWindowExposed(&panel))
            return {};
        return panel.geometry();
    }
    bool closes(const std::function<bool()>& gesture) {
        PanelWindow& panel = *app.appDelegate().popover();
        return gesture() && waitUntil([&] { return !panel.isVisible(); });
    }
    void expectBeside(const QRect& panel, const BarIcon& icon, const QRect& bar, Qt::Edge edge) {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(area.contains(panel)) << "outside the work area";
        const int gap =
            edge == Qt::TopEdge ? panel.top() - bar.bottom() - 1 : bar.top() - panel.bottom() - 1;
        EXPECT_GE(gap, 0) << "over the bar";
        EXPECT_LE(gap, 8) << "away from the bar";
        EXPECT_LE(panel.left(), icon.bounds.left());
        EXPECT_GE(panel.right(), icon.bounds.right());
    }

    ScopedHome home;
    ScopedIconTheme icons; // installed: the item names its symbolic icon
    XfceSession xfce{home};
    PilewatchApp app;
};

TEST_F(XfcePanelTest,
       TheIconTakesTheBarsColoursAndThePanelOpensBesideItAndClosesOnEscapeOrAClickElsewhere) {
    ASSERT_TRUE(icons.add("symbolic/apps", "io.pilewatch.Pilewatch-symbolic.svg"));
    // Where the panel looks for icon themes too, as for an installed icon.
    QDir().mkpath(home.dataHome());
    ASSERT_TRUE(QFile::link(icons.path(), home.dataHome() + "/icons"));
    ASSERT_TRUE(putSampleDesktop(home));
    xfce.startPanel("Adwaita");
    const QRect topBar = barAlong(Qt::TopEdge);
    ASSERT_FALSE(topBar.isEmpty()) << "xfce4-panel showed no bar";
    ASSERT_TRUE(launchAndWait(app));
    AppDelegate& delegate = app.appDelegate();
    ASSERT_TRUE(waitUntil([&] { return delegate.notifierItem() != nullptr; }, 10000));

    // A light bar: the panel recolours the symbolic icon dark.
    BarIcon icon = iconIn(topBar);
    EXPECT_GT(relativeLuminance(icon.bar), 0.5);
    EXPECT_GT(icon.standingOut, 40) << "an icon that does not stand out from the bar";
    EXPECT_GT(icon.darker, icon.standingOut / 2) << "not recoloured dark on a light bar";
    // The pixmaps the item also offers are a light gauge in a dark rim, which
    // reads on a light bar too; recoloured, no part of it stays light.
    EXPECT_LE(icon.lighter, icon.standingOut / 20) << "the pixmaps, not the named icon";

    // The pointer rests elsewhere: the panel goes by the icon, under the bar.
    QRect panel = openByClick(icon);
    ASSERT_FALSE(panel.isNull()) << "a click on the icon did not open the panel";
    expectBeside(panel, icon, topBar, Qt::TopEdge);
    EXPECT_TRUE(closes([] { return xdotool({"key", "Escape"}); })) << "Escape";
    ASSERT_FALSE(openByClick(icon).isNull());
    EXPECT_TRUE(closes([&] { return clickAt(topBar.center()); })) << "a click on the bar";

    // The same panel moved to the bottom, dark: the item registers with the new
    // panel, which draws it light, and the panel opens above the bar.
    ASSERT_TRUE(xfce.set("/panels/panel-1/position", "string", "p=8;x=0;y=0"));
    ASSERT_TRUE(xfce.set("/panels/dark-mode", "bool", "true"));
    xfce.startPanel("Adwaita:dark");
    const QRect bottomBar = barAlong(Qt::BottomEdge);
    ASSERT_FALSE(bottomBar.isEmpty()) << "xfce4-panel showed no bar at the bottom";
    icon = iconIn(bottomBar);
    EXPECT_LT(relativeLuminance(icon.bar), 0.1);
    EXPECT_GT(icon.standingOut, 40);
    EXPECT_LT(icon.darker, icon.standingOut / 2) << "not light on a dark bar";
    ASSERT_TRUE(waitUntil([&] {
        return QGuiApplication::primaryScreen()->availableGeometry().bottom() < bottomBar.top();
    }));
    panel = openByClick(icon);
    ASSERT_FALSE(panel.isNull());
    expectBeside(panel, icon, bottomBar, Qt::BottomEdge);
    // The desktop: the work area's bottom-left corner, clear of the main window.
    const QPoint desktop =
        QGuiApplication::primaryScreen()->availableGeometry().bottomLeft() + QPoint(20, -20);
    ASSERT_FALSE(app.mainWindow().frameGeometry().contains(desktop));
    EXPECT_TRUE(closes([&] { return clickAt(desktop); })) << "a click on the desktop";
}

} // namespace
