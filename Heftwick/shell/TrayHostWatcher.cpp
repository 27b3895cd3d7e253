#include "shell/TrayHostWatcher.h"

#include "shell/X11Desktop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

} // namespace

TrayHostWatcher::TrayHostWatcher(QObject* parent) : QObject(parent) {}

TrayHostWatcher::~TrayHostWatcher() {
    stopFiltering();
}

void TrayHostWatcher::start() {
    watchStatusNotifierWatcher();
    watchXEmbedTray();
}

void TrayHostWatcher::found(Host host) {
    if (m_found)
        return;
    m_found = true;
    m_host = host;
    stopFiltering();
    emit hostFound(host);
}

// An XEmbed tray seen while the bus has not answered yet waits for the answer:
// panels that host both (XFCE's) take StatusNotifierItems with their position.
void TrayHostWatcher::xembedTrayFound() {
    m_xembedSeen = true;
    if (m_pendingChecks == 0)
        found(Host::xembed);
}

void TrayHostWatcher::stopFiltering() {
    if (m_filtering)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filtering = false;
}

// A watcher on the bus is not yet a tray: Qt needs it to report a host, so
// ask for that whenever the watcher appears or announces a new host.
void TrayHostWatcher::watchStatusNotifierWatcher() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto* services = new QDBusServiceWatcher(watcherService, bus,
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(services, &QDBusServiceWatcher::serviceRegistered, this,
            &TrayHostWatcher::checkStatusNotifierWatcher);
    bus.connect(watcherService, watcherPath, watcherService, "StatusNotifierHostRegistered", this,
                SLOT(checkStatusNotifierWatcher()));
    checkStatusNotifierWatcher();
}

// Asks without blocking: the watcher is another process that may be slow.
// Once a host is known there is nothing left to ask.
void TrayHostWatcher::checkStatusNotifierWatcher() {
    if (m_found)
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    ++m_pendingChecks;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* c) {
        --m_pendingChecks;
        const QDBusPendingReply<QDBusVariant> reply = *c;
        if (!reply.isError() && reply.value().variant().toBool())
            found(Host::statusNotifier);
        else if (m_xembedSeen)
            xembedTrayFound();
        c->deleteLater();
    });
}

// An XEmbed tray manager announces itself with a MANAGER client message on the
// root window when it takes the selection; Qt's X connection already listens
// to the root window's structure events, which carry it.
void TrayHostWatcher::watchXEmbedTray() {
    if (!X11Desktop::connection() || m_found)
        return;
    m_managerAtom = X11Desktop::internAtom("MANAGER");
    m_traySelectionAtom = X11Desktop::internAtom("_NET_SYSTEM_TRAY_S" +
                                                 QByteArray::number(X11Desktop::screenNumber()));
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
    if (xembedTrayOwned())
        xembedTrayFound();
}

bool TrayHostWatcher::xembedTrayOwned() const {
    xcb_connection_t* connection = X11Desktop::connection();
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, m_traySelectionAtom), nullptr),
        &std::free);
    return reply && reply->owner != xcb_window_t(XCB_WINDOW_NONE);
}

bool TrayHostWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == m_managerAtom && client->format == 32 &&
        client->data.data32[1] == m_traySelectionAtom)
        xembedTrayFound();
    return false;
}
