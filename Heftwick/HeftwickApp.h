#pragma once

#include "engine/LoadEngine.h"
#include "shell/LaunchToken.h"
#include "shell/TrayHostWatcher.h"

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <memory>

class MainWindowView;
class PanelWindow;
class QMenu;
class StatusNotifierItem;

// Owns the one engine, the tray icon and the dashboard panel for the life of
// the process.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static inline const QString statusSymbol = QStringLiteral("gauge.with.dots.needle.67percent");

    // The engine watches the user's XDG Desktop folder; it does not scan yet.
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    LoadEngine& engine() { return m_engine; }
    // The tray icon, absent until a tray host shows up (and for good where
    // none does): an item of the StatusNotifierWatcher's host, or else an
    // icon in an XEmbed tray; never both.
    StatusNotifierItem* notifierItem() const { return m_notifierItem; }
    QSystemTrayIcon* statusItem() const { return m_statusItem; }
    bool hasStatusItem() const { return m_notifierItem || m_statusItem; }
    // The tooltip's line under its title: the Desktop's load at a glance.
    QString statusSummary() const;
    // Absent until the tray icon is made (and for good where no tray host
    // appears); then made once and reused.
    PanelWindow* popover() const { return m_popover.get(); }
    bool hasFinishedLaunching() const { return m_launched; }

    // Starts monitoring and puts the icon, with its panel, into the tray as
    // soon as there is a tray.
    void applicationDidFinishLaunching();
    // Opens the closed panel by the tray icon, or closes the open one.
    void togglePopover();
    // Brings the dashboard forward: the panel where there is a tray icon,
    // else the main window.
    void showDashboard();
    // The same, for an icon or click position the tray host reported, in
    // Qt's coordinates.
    void togglePopover(const QRect& anchor);

signals:
    // The tray menu asks for the main window.
    void mainWindowRequested();

private:
    void setupStatusItem();
    void setupPopover();
    void announceCritical(qint64 totalBytes);
    void createStatusItem(TrayHostWatcher::Host host);
    void createNotifierItem();
    void createXEmbedIcon();
    void makeStatusMenu();
    static QPoint fromHost(const QPoint& position);
    void notifierItemActivated(const QPoint& position);
    void showStatusMenu(const QPoint& position);
    void updateToolTip();

    LoadEngine m_engine;
    StatusNotifierItem* m_notifierItem = nullptr;
    QSystemTrayIcon* m_statusItem = nullptr;
    // Where the icon was last seen: the panel opened from the menu goes there.
    QRect m_lastAnchor;
    std::unique_ptr<PanelWindow> m_popover;
    std::unique_ptr<QMenu> m_statusMenu;
    bool m_launched = false;
};

// The application: its delegate, and the main window on the delegate's engine.
class PilewatchApp {
public:
    static constexpr QSize defaultWindowSize{800, 600};
    // The application icon installed into the hicolor icon theme.
    static inline const QString appIconName = QStringLiteral("io.pilewatch.Pilewatch");

    PilewatchApp();
    ~PilewatchApp();

    AppDelegate& appDelegate() { return m_appDelegate; }
    MainWindowView& mainWindow() { return *m_mainWindow; }

    // Shows the main window; the delegate finishes launching as soon as the
    // event loop runs.
    void launch();
    // Brings the main window to the user: shown, restored, on the current
    // workspace, raised and focused; a launcher's token lets it take the focus.
    void showMainWindow(const LaunchToken& launch = {});

private:
    AppDelegate m_appDelegate;
    std::unique_ptr<MainWindowView> m_mainWindow;
};
