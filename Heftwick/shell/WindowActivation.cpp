#include "shell/WindowActivation.h"

#include "shell/LaunchToken.h"
#include "shell/X11Desktop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <xcb/xcb.h>

namespace {

// Runs an action once, on the window's first expose: the window manager or
// compositor acts only on a window it already manages.
class ExposeWaiter : public QObject {
public:
    ExposeWaiter(QWindow* window, std::function<void()> action)
        : QObject(window), m_action(std::move(action)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            m_action();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

void whenExposed(QWindow* window, std::function<void()> action) {
    if (window->isExposed())
        action();
    else
        new ExposeWaiter(window, std::move(action));
}

// A window on another virtual desktop comes to the one the user is on,
// rather than taking the user away from it. Sticky windows are on all.
void moveToCurrentDesktop(xcb_window_t window) {
    const xcb_atom_t windowDesktop = X11Desktop::internAtom("_NET_WM_DESKTOP");
    const std::optional<uint32_t> current = X11Desktop::cardinal(
        X11Desktop::rootWindow(), X11Desktop::internAtom("_NET_CURRENT_DESKTOP"));
    const std::optional<uint32_t> own = X11Desktop::cardinal(window, windowDesktop);
    constexpr uint32_t allDesktops = 0xFFFFFFFF;
    if (current && own && *own != *current && *own != allDesktops)
        X11Desktop::sendToRoot(window, windowDesktop, {*current, 2, 0, 0, 0});
}

// The startup notification's "remove" message for the launch, which ends the
// launcher's busy cursor: 20 bytes a client message, the first of type
// _NET_STARTUP_INFO_BEGIN, the text ending in a NUL byte. A window of its own
// tells receivers which pieces belong together.
void endStartupNotification(xcb_connection_t* connection, const QByteArray& startupId) {
    QByteArray id = startupId;
    id.replace('\\', "\\\\").replace('"', "\\\"").replace(' ', "\\ ");
    const QByteArray message = "remove: ID=" + id + '\0';
    const xcb_window_t root = X11Desktop::rootWindow();
    const xcb_window_t sender = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -100, -100, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = sender;
    event.type = X11Desktop::internAtom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = X11Desktop::internAtom("_NET_STARTUP_INFO");
    for (qsizetype at = 0; at < message.size(); at += 20) {
        std::fill(std::begin(event.data.data8), std::end(event.data.data8), 0);
        std::copy_n(message.constData() + at, std::min<qsizetype>(20, message.size() - at),
                    event.data.data8);
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
        event.type = more;
    }
    xcb_destroy_window(connection, sender);
}

// EWMH activation. With the launcher's timestamp the request is an
// application's (source 1), which the window manager weighs against what the
// user did since the launch; without one it was the user's own gesture
// elsewhere (a tray menu, a launcher without startup notification), asked for
// as a pager or taskbar does (source 2). Compliant window managers also
// restore a minimised window they activate.
void activateOnX11(QWidget& window, const LaunchToken& token) {
    xcb_connection_t* connection = X11Desktop::connection();
    const auto id = xcb_window_t(window.winId());
    moveToCurrentDesktop(id);
    const std::optional<uint32_t> launchTime = token.launchTime();
    X11Desktop::sendToRoot(id, X11Desktop::internAtom("_NET_ACTIVE_WINDOW"),
                           {launchTime ? 1u : 2u, launchTime.value_or(XCB_CURRENT_TIME), 0, 0, 0});
    if (!token.startupId.isEmpty())
        endStartupNotification(connection, token.startupId);
    xcb_flush(connection);
}

// Qt's Wayland shell integration activates a window through xdg-activation
// with the token it finds in XDG_ACTIVATION_TOKEN, and then clears the
// variable; without a token it asks the compositor for one, which only the
// focused app gets.
void activateOnWayland(QWidget& window, const LaunchToken& token) {
    if (!token.activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.activationToken.toUtf8());
    window.activateWindow();
}

void activate(QWidget& window, const LaunchToken& token) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") && X11Desktop::connection())
        activateOnX11(window, token);
    else if (platform.startsWith(QLatin1String("wayland")))
        activateOnWayland(window, token);
    else
        window.activateWindow();
}

} // namespace

namespace WindowActivation {

// A window the window manager already manages is asked for at once, even
// while it is minimised or on another desktop (and so not exposed); a hidden
// one once it is back on screen.
void bringForward(QWidget& window, const LaunchToken& token) {
    const bool managed = window.isVisible();
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    if (managed) {
        activate(window, token);
        return;
    }
    QPointer<QWidget> guarded(&window);
    whenExposed(window.windowHandle(), [guarded, token] {
        if (guarded)
            activate(*guarded, token);
    });
}

} // namespace WindowActivation
