#include "HeftwickApp.h"

#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "dashboard/DesktopNotifier.h"
#include "dashboard/EngineTexts.h"
#include "dashboard/LoadDashboard.h"
#include "shell/CriticalWatcher.h"
#include "shell/MainWindowView.h"
#include "shell/PanelWindow.h"
#include "shell/StatusIcon.h"
#include "shell/StatusNotifierItem.h"
#include "shell/WindowActivation.h"
#include "shell/X11Desktop.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {
    connect(new CriticalWatcher(m_engine, this), &CriticalWatcher::crossedIntoCritical, this,
            &AppDelegate::announceCritical);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    m_engine.startMonitoring();
    setupStatusItem();
    m_launched = true;
}

// The icon waits for a tray host: Qt picks the path of its own tray icon once,
// when the first one is made. Without a host the app lives in its main window
// alone.
void AppDelegate::setupStatusItem() {
    auto* trayHosts = new TrayHostWatcher(this);
    connect(trayHosts, &TrayHostWatcher::hostFound, this, &AppDelegate::createStatusItem);
    trayHosts->start();
}

void AppDelegate::createStatusItem(TrayHostWatcher::Host host) {
    if (hasStatusItem())
        return;
    // The panel is made with the icon that opens it, not before: without a
    // tray nothing could show it.
    setupPopover();
    makeStatusMenu();
    if (host == TrayHostWatcher::Host::statusNotifier)
        createNotifierItem();
    else
        createXEmbedIcon();
    connect(&m_engine, &LoadEngine::stateChanged, this, &AppDelegate::updateToolTip);
    updateToolTip();
    // The item goes on the bus complete: a host reads it as it registers.
    if (m_notifierItem)
        m_notifierItem->publish();
    // With an icon in the tray the app lives on when its window closes, as it
    // would in a menu bar; the tray menu brings the window back or quits.
    QApplication::setQuitOnLastWindowClosed(false);
}

// An installation outside the folders desktops search still finds its icon:
// Qt is told the folder here, the tray host by the item's IconThemePath.
void AppDelegate::createNotifierItem() {
    const QString themePath = StatusIcon::themePath();
    if (!themePath.isEmpty())
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << themePath);
    m_notifierItem = new StatusNotifierItem(*m_statusMenu, this);
    m_notifierItem->setIcon(StatusIcon::icon());
    m_notifierItem->setIconThemePath(themePath);
    connect(m_notifierItem, &StatusNotifierItem::activated, this,
            &AppDelegate::notifierItemActivated);
    connect(m_notifierItem, &StatusNotifierItem::contextMenuRequested, this,
            &AppDelegate::showStatusMenu);
}

// An XEmbed tray draws the icon's own colours, whatever the bar's: the light
// gauge in its dark outline.
void AppDelegate::createXEmbedIcon() {
    m_statusItem = new QSystemTrayIcon(StatusIcon::squareInSlot(StatusIcon::icon()), this);
    m_statusItem->setContextMenu(m_statusMenu.get());
    connect(m_statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    togglePopover(m_statusItem->geometry());
            });
    m_statusItem->show();
}

// "Show Load Panel" makes the panel one menu entry away where the host shows
// the menu on a left click (GNOME's AppIndicator extension) and for keyboard
// users of the menu.
void AppDelegate::makeStatusMenu() {
    m_statusMenu = std::make_unique<QMenu>();
    m_statusMenu->addAction(tr("Show Load Panel"), this, qOverload<>(&AppDelegate::togglePopover));
    m_statusMenu->addAction(tr("Open Pilewatch"), this, &AppDelegate::mainWindowRequested);
    m_statusMenu->addSeparator();
    m_statusMenu->addAction(tr("Quit Pilewatch"), qApp, &QCoreApplication::quit);
}

void AppDelegate::setupPopover() {
    m_popover = std::make_unique<PanelWindow>(new LoadDashboard(m_engine));
}

// On X11 the host's position may be in the X server's pixels; elsewhere it is
// taken as it comes.
QPoint AppDelegate::fromHost(const QPoint& position) {
    return X11Desktop::connection() ? X11Desktop::fromHost(position) : position;
}

void AppDelegate::notifierItemActivated(const QPoint& position) {
    togglePopover(QRect(fromHost(position), QSize(1, 1)));
}

void AppDelegate::showStatusMenu(const QPoint& position) {
    m_statusMenu->popup(fromHost(position));
}

// Without a position from the host (a menu entry), the panel opens by the
// XEmbed icon, or where the host last reported a click; before any, in the
// primary screen's top-right corner, where most desktops keep their tray.
void AppDelegate::togglePopover() {
    if (m_statusItem && m_statusItem->geometry().isValid())
        togglePopover(m_statusItem->geometry());
    else if (m_lastAnchor.isValid())
        togglePopover(m_lastAnchor);
    else
        togglePopover(QRect(QGuiApplication::primaryScreen()->geometry().topRight(), QSize(1, 1)));
}

void AppDelegate::showDashboard() {
    if (hasStatusItem() && m_popover && !m_popover->isVisible())
        togglePopover();
    else if (!hasStatusItem())
        emit mainWindowRequested();
}

// Where no notification server runs, the gauge alone shows the status.
void AppDelegate::announceCritical(qint64 totalBytes) {
    DesktopNotifier::shared().send(
        {tr("Your Desktop is Critical: %1").arg(formatBytes(totalBytes)),
         {tr("Move old items to the Trash or archive them to lighten it.")},
         {{DesktopNotifier::defaultAction, tr("Open Pilewatch"), [this] { showDashboard(); }}},
         0},
        [](uint) {}, [] {});
}

void AppDelegate::togglePopover(const QRect& anchor) {
    if (!hasStatusItem() || !m_popover)
        return;
    m_lastAnchor = anchor;
    m_popover->toggle(anchor, X11Desktop::dockAt(anchor.center()));
}

QString AppDelegate::statusSummary() const {
    return tr("%1 on the Desktop, %2 items — %3")
        .arg(formatBytes(m_engine.totalBytes()))
        .arg(m_engine.fileCount())
        .arg(EngineTexts::statusName(m_engine.status()));
}

// The tooltip carries the state itself, so the hidden panel is not woken for it.
void AppDelegate::updateToolTip() {
    const QString title = tr("Load");
    if (m_notifierItem)
        m_notifierItem->setToolTip(title, statusSummary());
    if (m_statusItem)
        m_statusItem->setToolTip(title + '\n' + statusSummary());
}

PilewatchApp::PilewatchApp()
    : m_mainWindow(std::make_unique<MainWindowView>(m_appDelegate.engine())) {
    // Linux window managers keep their own title bar: hiding it would leave a
    // window that can be neither moved nor resized with the usual controls, so
    // the window keeps its decorations and simply carries the app's name.
    m_mainWindow->setWindowTitle(AppDelegate::tr("Pilewatch"));
    m_mainWindow->setAccessibleName(AppDelegate::tr("Pilewatch"));
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
