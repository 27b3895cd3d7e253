#include "HeftwickApp.h"

#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "dashboard/LoadDashboard.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/TrayHostWatcher.h"
#include "shell/WindowActivation.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    m_engine.startMonitoring();
    setupStatusItem();
    m_launched = true;
}

// Qt picks its tray path (StatusNotifierItem or XEmbed) once, when the first
// icon is made, so the icon waits for a tray host. Without one the app lives
// in its main window alone.
void AppDelegate::setupStatusItem() {
    auto* trayHosts = new TrayHostWatcher(this);
    connect(trayHosts, &TrayHostWatcher::hostFound, this, &AppDelegate::createStatusItem);
    trayHosts->start();
}

// A theme icon keeps its name: a StatusNotifierItem host is handed the name
// and, for a -symbolic one, paints it in the panel's own foreground colour, on
// light and dark panels alike; an XEmbed tray gets the icon's mid-grey
// rendering. The icon counts only if it renders (the theme may hold it while
// Qt's SVG support is missing). The glyph in white stands in otherwise: tray
// bars on Linux desktops are dark far more often than light, and the icon
// matches the panel it opens.
QIcon AppDelegate::statusIcon() {
    QIcon themed = QIcon::fromTheme(statusIconName);
    if (!themed.pixmap(QSize(22, 22)).isNull())
        return themed;
    return Symbols::icon(statusSymbol, Palette::white());
}

void AppDelegate::createStatusItem() {
    if (m_statusItem)
        return;
    // The panel is made with the icon that opens it, not before: without a
    // tray nothing could show it.
    setupPopover();
    m_statusItem = new QSystemTrayIcon(statusIcon(), this);
    m_statusItem->setToolTip("Load");
    m_statusItem->setContextMenu(makeStatusMenu());
    connect(m_statusItem, &QSystemTrayIcon::activated, this, &AppDelegate::statusItemActivated);
    m_statusItem->show();
    // With an icon in the tray the app lives on when its window closes, as it
    // would in a menu bar; the tray menu brings the window back or quits.
    QApplication::setQuitOnLastWindowClosed(false);
}

QMenu* AppDelegate::makeStatusMenu() {
    m_statusMenu = std::make_unique<QMenu>();
    m_statusMenu->addAction("Open Pilewatch", this, &AppDelegate::mainWindowRequested);
    m_statusMenu->addSeparator();
    m_statusMenu->addAction("Quit Pilewatch", qApp, &QCoreApplication::quit);
    return m_statusMenu.get();
}

void AppDelegate::setupPopover() {
    m_popover = std::make_unique<PanelWindow>(new LoadDashboard(m_engine));
}

void AppDelegate::statusItemActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
        togglePopover();
}

void AppDelegate::togglePopover() {
    if (!m_statusItem || !m_popover)
        return;
    m_popover->toggle(statusItemAnchor());
}

// The icon's place on screen; a StatusNotifierItem tray tells none, and the
// pointer, which just clicked the icon, stands in for it. A Wayland client
// never learns where the pointer is outside its own windows: there the panel
// has no anchor.
QRect AppDelegate::statusItemAnchor() const {
    const QRect icon = m_statusItem->geometry();
    if (icon.isValid())
        return icon;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    return QRect(QCursor::pos(), QSize(1, 1));
}

PilewatchApp::PilewatchApp()
    : m_mainWindow(std::make_unique<MainWindowView>(m_appDelegate.engine())) {
    // Linux window managers keep their own title bar: hiding it would leave a
    // window that can be neither moved nor resized with the usual controls, so
    // the window keeps its decorations and simply carries the app's name.
    m_mainWindow->setWindowTitle("Pilewatch");
    m_mainWindow->setAccessibleName("Pilewatch");
    // The installed application icon where there is one, as in the launcher.
    m_mainWindow->setWindowIcon(
        QIcon::fromTheme(appIconName, Symbols::icon(AppDelegate::statusSymbol,
                                                    Palette::accent(Palette::Appearance::light))));
    m_mainWindow->resize(defaultWindowSize);
}

PilewatchApp::~PilewatchApp() = default;

// There is no Dock to join on Linux: showing the window is all a regular
// application needs. An empty settings scene has no counterpart here either.
void PilewatchApp::launch() {
    QObject::connect(&m_appDelegate, &AppDelegate::mainWindowRequested, m_mainWindow.get(),
                     [this] { showMainWindow(); });
    m_mainWindow->show();
    QTimer::singleShot(0, &m_appDelegate, &AppDelegate::applicationDidFinishLaunching);
}

void PilewatchApp::showMainWindow(const LaunchToken& launch) {
    WindowActivation::bringForward(*m_mainWindow, launch);
}
