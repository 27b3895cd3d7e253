#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDBusPendingCallWatcher;

// Desktop notifications over the session bus (org.freedesktop.Notifications),
// tagged with the app's desktop entry so the desktop groups them with the app
// and applies its notification settings. Never blocks: every call is
// asynchronous, and a notification no server takes is handed back to the
// caller to show some other way.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    static inline const QString service = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString path = QStringLiteral("/org/freedesktop/Notifications");
    // The key of the action a click on the notification itself invokes.
    static inline const QString defaultAction = QStringLiteral("default");
    // How long a server may take to answer before it counts as absent.
    static constexpr int callTimeoutMs = 5000;

    struct Action {
        QString key;
        QString label;
        std::function<void()> run;
    };

    struct Notification {
        QString summary;
        QStringList lines; // plain text, one line each
        QList<Action> actions;
        // The shown notification this one replaces, 0 for a new one.
        uint replaces = 0;
    };

    // Called with the server's id once it shows the notification.
    using Shown = std::function<void(uint id)>;
    // Called when no server shows it, or when the one that does cannot offer
    // its actions: the caller shows the words (and the actions) itself.
    using Unshown = std::function<void()>;

    // The process's notifier, on the session bus.
    static DesktopNotifier& shared();

    void send(Notification notification, Shown shown, Unshown unshown);

private:
    explicit DesktopNotifier(QObject* parent = nullptr);

    struct Pending {
        Notification notification;
        Shown shown;
        Unshown unshown;
    };

    void askCapabilities();
    void capabilitiesArrived(QDBusPendingCallWatcher* call);
    void deliver(Pending pending);
    void notifyAnswered(QDBusPendingCallWatcher* call, Pending pending);
    QString bodyOf(const Notification& notification) const;

private slots:
    void actionInvoked(uint id, const QString& key);
    void notificationClosed(uint id, uint reason);

private:
    std::optional<QStringList> m_capabilities; // unknown until the server answers
    bool m_askingCapabilities = false;
    QList<Pending> m_waiting; // sent before the capabilities arrived
    // The actions of each notification the server shows, until it closes.
    QHash<uint, QList<Action>> m_actions;
};
