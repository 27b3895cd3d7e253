#pragma once

#include "engine/LoadEngine.h"
#include "shell/LaunchToken.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class MainWindowView;
class PanelWindow;
class QMenu;

// Owns the one engine, the tray icon and the dashboard panel for the life of
// the process.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static inline const QString statusSymbol = QStringLiteral("gauge.with.dots.needle.67percent");
    // The symbolic tray icon installed into the hicolor icon theme.
    static inline const QString statusIconName = QStringLiteral("io.pilewatch.Pilewatch-symbolic");

    // The tray icon: the installed symbolic icon, by name, where the icon
    // theme has it; else (run from the build folder) the drawn glyph.
    static QIcon statusIcon();

    // The engine watches the user's XDG Desktop folder; it does not scan yet.
    explicit AppDelegate(QObject* parent = nullptr);
    ~AppDelegate() override;

    LoadEngine& engine() { return m_engine; }
    // Absent until a tray host shows up (and for good where none does).
    QSystemTrayIcon* statusItem() const { return m_statusItem; }
    // Absent until the tray icon is made (and for good where no tray host
    // appears); then made once and reused.
    PanelWindow* popover() const { return m_popover.get(); }
    bool hasFinishedLaunching() const { return m_launched; }

    // Starts monitoring and puts the icon, with its panel, into the tray as
    // soon as there is a tray.
    void applicationDidFinishLaunching();
    // Opens the closed panel by the tray icon, or closes the open one.
    void togglePopover();

signals:
    // The tray menu asks for the main window.
    void mainWindowRequested();

private:
    void setupStatusItem();
    void setupPopover();
    void createStatusItem();
    QMenu* makeStatusMenu();
    void statusItemActivated(QSystemTrayIcon::ActivationReason reason);
    QRect statusItemAnchor() const;

    LoadEngine m_engine;
    QSystemTrayIcon* m_statusItem = nullptr;
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
