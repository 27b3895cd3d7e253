// The real executable natively on Wayland, in a headless sway session with
// waybar and its tray (run-in-sway.sh starts them): the panel as a layer
// surface under the bar, its dismissal, and a second start that hands the
// running app an xdg-activation token.
#include "Pixels.h"
#include "Platform/Palette.h"
#include "ShellTestSupport.h"
#include "shell/PanelWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString appId = QStringLiteral("io.pilewatch.Pilewatch");
const QRect output(0, 0, 1280, 800);

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

// The node of the app's main window in sway's tree, or an empty object.
QJsonObject mainWindowNode(const QJsonObject& node = {}) {
    const QJsonObject at =
        node.isEmpty() ? QJsonDocument::fromJson(run("swaymsg", {"-t", "get_tree"})).object()
                       : node;
    if (at.value("app_id").toString() == appId)
        return at;
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : at.value(children).toArray())
            if (QJsonObject found = mainWindowNode(child.toObject()); !found.isEmpty())
                return found;
    return {};
}

// The app's tray item as the bar knows it, called as the bar calls it on a click.
const QPoint trayPosition(1262, 15);

bool activateTrayItem() {
    QDBusMessage get =
        QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                       "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierWatcher") << QString("RegisteredStatusNotifierItems");
    const QStringList items = QDBusConnection::sessionBus()
                                  .call(get)
                                  .arguments()
                                  .value(0)
                                  .value<QDBusVariant>()
                                  .variant()
                                  .toStringList();
    if (items.size() != 1)
        return false;
    const qsizetype slash = items.first().indexOf('/');
    QDBusMessage activate =
        QDBusMessage::createMethodCall(items.first().left(slash), items.first().mid(slash),
                                       "org.kde.StatusNotifierItem", "Activate");
    // Where waybar's tray sits, at the bar's right end, in the bar's own
    // coordinates, as waybar reports a click.
    activate << trayPosition.x() << trayPosition.y();
    return QDBusConnection::sessionBus().call(activate).type() == QDBusMessage::ReplyMessage;
}

QImage screenshot(const QString& name) {
    const QString path = screenshotPath(name);
    run("grim", {path});
    return QImage(path);
}

// Where the panel's own background shows on screen: its body, below its
// header, whose tint differs.
QRect panelBody(const QImage& screen) {
    const QRgb background = Palette::darkPanelPalette().color(QPalette::Window).rgb();
    return inkBox(screen, [&](const QColor& c) { return c.rgb() == background; });
}

constexpr int escapeKey = 1; // evdev KEY_ESC

// One session: the panel opens under the bar at the tray's end as a layer
// surface, closes on a second click, on Escape and when the user turns to
// another window; a second start with a launcher's token brings the window
// back from another workspace (sway, by default, marks it urgent rather than
// switching to it).
TEST(Sway, ThePanelOpensUnderTheBarAndASecondStartWithATokenAsksForTheWindow) {
    ScopedHome home;
    ChildProcess seat(WAYLAND_SEAT_TOOL, {});
    ASSERT_EQ(seat.nextLine(), "ready") << seat.output();
    QProcessEnvironment wayland = QProcessEnvironment::systemEnvironment();
    wayland.insert("QT_QPA_PLATFORM", "wayland");
    ChildProcess first(PILEWATCH_EXECUTABLE, {}, wayland);
    ASSERT_TRUE(waitUntil([] { return !mainWindowNode().isEmpty(); }, 10000)) << first.output();
    ASSERT_TRUE(waitUntil(activateTrayItem, 10000)) << "no tray item" << first.output();

    const int barHeight = qEnvironmentVariableIntValue("PILEWATCH_BAR_HEIGHT");
    QRect body;
    ASSERT_TRUE(waitUntil([&] {
        body = panelBody(screenshot("sway-panel.png"));
        return body.width() == PanelWindow::panelSize.width();
    })) << first.output();
    EXPECT_LE(body.left(), trayPosition.x()) << "not at the tray";
    EXPECT_GE(body.right(), trayPosition.x()) << "not at the tray";
    EXPECT_LE(body.right(), output.right()) << "off the screen";
    EXPECT_EQ(body.bottom() + 1 - PanelWindow::panelSize.height(),
              barHeight + PanelWindow::anchorGap)
        << "not right under the bar";

    const auto closes = [&](const char* how, const std::function<void()>& gesture) {
        ASSERT_TRUE(waitUntil([&] { return !panelBody(screenshot("sway-panel.png")).isEmpty(); }))
            << "the panel did not open";
        gesture();
        EXPECT_TRUE(waitUntil([&] { return panelBody(screenshot("sway-closed.png")).isEmpty(); }))
            << "the panel stayed open after " << how;
    };
    closes("a second click", [] { ASSERT_TRUE(activateTrayItem()); });
    ASSERT_TRUE(activateTrayItem());
    closes("Escape", [&] {
        seat.send("key " + QByteArray::number(escapeKey));
        EXPECT_EQ(seat.nextLine(), "ok");
    });
    const auto clickAt = [&](const char* where) {
        seat.send(QByteArray("click ") + where);
        EXPECT_EQ(seat.nextLine(), "ok");
    };
    ASSERT_TRUE(activateTrayItem());
    closes("a click on another window", [&] {
        clickAt("1086,520"); // inside the panel, below its tiles: it stays open
        EXPECT_FALSE(panelBody(screenshot("sway-panel.png")).isEmpty())
            << "a click inside the panel closed it";
        clickAt("200,400"); // on the main window, left of the panel
    });
    ASSERT_TRUE(activateTrayItem());
    closes("a click on the bar", [&] { clickAt("600,10"); });

    // Nothing but the panel shows while it is open: what takes the clicks
    // around it is transparent.
    const QImage closed = screenshot("sway-closed.png");
    ASSERT_TRUE(activateTrayItem());
    ASSERT_TRUE(waitUntil([&] { return !panelBody(screenshot("sway-panel.png")).isEmpty(); }));
    const QImage open = screenshot("sway-panel.png");
    for (const QPoint at : {QPoint(200, 400), QPoint(600, 10), QPoint(10, 790)})
        EXPECT_EQ(open.pixel(at), closed.pixel(at)) << at.x() << "," << at.y();
    ASSERT_TRUE(activateTrayItem());

    run("swaymsg", {"workspace", "2"});
    ASSERT_FALSE(mainWindowNode().value("focused").toBool());
    seat.send("token " + appId.toUtf8());
    const QString token = seat.nextLine();
    ASSERT_FALSE(token.isEmpty());
    QProcessEnvironment launched = wayland;
    launched.insert("XDG_ACTIVATION_TOKEN", token);
    ChildProcess second(PILEWATCH_EXECUTABLE, {}, launched);
    EXPECT_TRUE(waitUntil([] {
        const QJsonObject window = mainWindowNode();
        return window.value("focused").toBool() || window.value("urgent").toBool();
    })) << "the window neither took the focus nor asked for it\n"
        << first.output();
    EXPECT_TRUE(second.succeeds(5000)) << second.output();
}

} // namespace
