#include "LaunchWindowController.h"

#include "SharedCore/StorageManager.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QScreen>
#include <QThread>
#include <QWidget>

namespace {

constexpr int geometrySaveDelayMs = 500;

void assertMainThread() {
    Q_ASSERT_X(QThread::currentThread() == QCoreApplication::instance()->thread(),
               "LaunchWindowController", "called off the main thread");
}

void centre(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void showInFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

LaunchWindowController& LaunchWindowController::shared() {
    static LaunchWindowController instance;
    return instance;
}

LaunchWindowController::LaunchWindowController() {
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(geometrySaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &LaunchWindowController::saveGeometry);
}

void LaunchWindowController::present(const QString& appName, QSize idealSize,
                                     const RootBuilder& root) {
    assertMainThread();
    if (!m_window)
        createWindow(appName, idealSize, root);
    showInFront(*m_window);
}

void LaunchWindowController::present(const QString& appName, const RootBuilder& root) {
    present(appName, defaultIdealSize, root);
}

void LaunchWindowController::presentDeferred(const QString& appName, QSize idealSize,
                                             RootBuilder root) {
    assertMainThread();
    // The controller is the timer's context: were it destroyed first, the call
    // would be dropped.
    QTimer::singleShot(0, this, [this, appName, idealSize, root = std::move(root)] {
        present(appName, idealSize, root);
    });
}

void LaunchWindowController::presentDeferred(const QString& appName, RootBuilder root) {
    presentDeferred(appName, defaultIdealSize, std::move(root));
}

void LaunchWindowController::bringToFront() {
    assertMainThread();
    if (m_window)
        showInFront(*m_window);
}

void LaunchWindowController::windowWillClose() {
    m_saveTimer.stop();
    saveGeometry();
}

QWidget* LaunchWindowController::window() const {
    return m_window;
}

bool LaunchWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Close:
            windowWillClose();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            m_saveTimer.start();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void LaunchWindowController::createWindow(const QString& appName, QSize idealSize,
                                          const RootBuilder& root) {
    // Not owned by any widget and never deleted on close: it lives as long as
    // the process.
    auto* window = new QWidget;
    window->setWindowTitle(appName);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(root());
    window->setMinimumSize(minimumSize);
    window->resize(idealSize.expandedTo(minimumSize));
    centre(*window);
    m_geometryKey = appName + QStringLiteral(".mainWindow");
    if (const std::optional<QVariant> saved = StorageManager::shared().get(m_geometryKey);
        saved && saved->typeId() == QMetaType::QByteArray)
        window->restoreGeometry(saved->toByteArray());
    window->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &LaunchWindowController::saveGeometry);
    m_window = window;
}

void LaunchWindowController::saveGeometry() const {
    if (m_window)
        StorageManager::shared().set(QVariant(m_window->saveGeometry()), m_geometryKey);
}
