#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>

// Tells when the desktop can show a tray icon: a StatusNotifierWatcher with a
// registered host on the session bus, or, on X11, an XEmbed tray manager that
// owns the _NET_SYSTEM_TRAY_S<screen> selection.
//
// Qt 6.4 decides once per process whether its tray icons go over D-Bus: the
// first QSystemTrayIcon (and the first QSystemTrayIcon::isSystemTrayAvailable()
// call) asks the session bus whether the StatusNotifierWatcher reports a
// registered host and caches the answer for good. So the app must not create
// its icon, nor ask Qt about the tray, before a host is known; this watcher
// finds out without going through Qt's tray code.
class TrayHostWatcher : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    enum class Host { statusNotifier, xembed };

    explicit TrayHostWatcher(QObject* parent = nullptr);
    ~TrayHostWatcher() override;

    // Checks for a host already present and starts listening for one to
    // appear; emits hostFound() (possibly at once) the first time one is seen,
    // and stops listening then. Where both kinds are there, the
    // StatusNotifierWatcher's host is the one found.
    void start();
    bool hasFoundHost() const { return m_found; }
    Host host() const { return m_host; }

signals:
    void hostFound(TrayHostWatcher::Host host);

private slots:
    void checkStatusNotifierWatcher();

private:
    void watchStatusNotifierWatcher();
    void watchXEmbedTray();
    bool xembedTrayOwned() const;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void xembedTrayFound();
    void found(Host host);
    void stopFiltering();

    bool m_found = false;
    Host m_host = Host::statusNotifier;
    bool m_xembedSeen = false;
    int m_pendingChecks = 0;
    bool m_filtering = false;
    std::uint32_t m_managerAtom = 0;
    std::uint32_t m_traySelectionAtom = 0;
};
