#include "DesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

namespace {

const QString interfaceName = DesktopNotifier::service;

// Urgency "normal" of the notification specification.
constexpr uchar normalUrgency = 1;
// The server decides how long a notification stays.
constexpr int serverDefaultTimeout = -1;

QDBusMessage method(const QString& name) {
    return QDBusMessage::createMethodCall(DesktopNotifier::service, DesktopNotifier::path,
                                          interfaceName, name);
}

} // namespace

DesktopNotifier& DesktopNotifier::shared() {
    static QPointer<DesktopNotifier> notifier;
    if (!notifier)
        notifier = new DesktopNotifier(QCoreApplication::instance());
    return *notifier;
}

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, path, interfaceName, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(service, path, interfaceName, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::send(Notification notification, Shown shown, Unshown unshown) {
    Pending pending{std::move(notification), std::move(shown), std::move(unshown)};
    if (!QDBusConnection::sessionBus().isConnected()) {
        // No session bus at all; the caller still hears of it only after it returns.
        QTimer::singleShot(0, this, [unshown = std::move(pending.unshown)] { unshown(); });
        return;
    }
    if (m_capabilities) {
        deliver(std::move(pending));
        return;
    }
    m_waiting.append(std::move(pending));
    askCapabilities();
}

// The server's capabilities say whether it takes markup in the body and
// offers actions; asked once, when the first notification goes out.
void DesktopNotifier::askCapabilities() {
    if (m_askingCapabilities)
        return;
    m_askingCapabilities = true;
    auto* call =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(
                                        method(QStringLiteral("GetCapabilities")), callTimeoutMs),
                                    this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &DesktopNotifier::capabilitiesArrived);
}

void DesktopNotifier::capabilitiesArrived(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    m_askingCapabilities = false;
    const QDBusPendingReply<QStringList> reply = *call;
    const QList<Pending> waiting = std::exchange(m_waiting, {});
    if (reply.isError()) {
        // No server: ask again with the next notification, one may have started.
        for (const Pending& pending : waiting)
            pending.unshown();
        return;
    }
    m_capabilities = reply.value();
    for (const Pending& pending : waiting)
        deliver(pending);
}

void DesktopNotifier::deliver(Pending pending) {
    const Notification& n = pending.notification;
    QStringList actions;
    if (m_capabilities->contains(QStringLiteral("actions")))
        for (const Action& action : n.actions)
            actions << action.key << action.label;
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName()},
        {QStringLiteral("urgency"), QVariant::fromValue(normalUrgency)},
    };
    QDBusMessage call = method(QStringLiteral("Notify"));
    call << QCoreApplication::translate("DesktopNotifier", "Pilewatch") << n.replaces
         << QGuiApplication::desktopFileName() << n.summary << bodyOf(n) << actions << hints
         << serverDefaultTimeout;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, pending = std::move(pending)](QDBusPendingCallWatcher* answered) {
                notifyAnswered(answered, pending);
            });
}

void DesktopNotifier::notifyAnswered(QDBusPendingCallWatcher* call, Pending pending) {
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        m_capabilities.reset(); // the server is gone; a new one may differ
        pending.unshown();
        return;
    }
    const uint id = reply.value();
    const bool hasActions = !pending.notification.actions.isEmpty();
    if (hasActions && m_capabilities && m_capabilities->contains(QStringLiteral("actions")))
        m_actions.insert(id, pending.notification.actions);
    else
        m_actions.remove(id); // a replaced notification's actions are gone with it
    pending.shown(id);
    // A server without actions shows the words, but the actions must stay in reach.
    if (hasActions && !m_actions.contains(id))
        pending.unshown();
}

// Plain lines; where the server reads markup, escaped, so names such as
// "<b>a&b</b>" show as they are.
QString DesktopNotifier::bodyOf(const Notification& notification) const {
    const QString body = notification.lines.join(u'\n');
    return m_capabilities->contains(QStringLiteral("body-markup")) ? body.toHtmlEscaped() : body;
}

void DesktopNotifier::actionInvoked(uint id, const QString& key) {
    const auto found = m_actions.constFind(id);
    if (found == m_actions.cend())
        return;
    for (const Action& action : *found)
        if (action.key == key) {
            const std::function<void()> run = action.run; // may replace this notification
            run();
            return;
        }
}

void DesktopNotifier::notificationClosed(uint id, uint) {
    m_actions.remove(id);
}
