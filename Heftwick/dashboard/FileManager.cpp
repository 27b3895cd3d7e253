#include "FileManager.h"

#include "engine/Trash.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QString>

namespace {

constexpr int callTimeoutMs = 5000;

void openWithXdgOpen(const QByteArray& folder) {
    QProcess::startDetached(QStringLiteral("xdg-open"),
                            {QString::fromLatin1(FileManager::fileUri(folder))});
}

} // namespace

QByteArray FileManager::fileUri(const QByteArray& path) {
    return "file://" + Trash::encodePath(path);
}

void FileManager::showItem(const QByteArray& path, const QByteArray& fallbackFolder) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromLatin1(fileUri(path))} << QString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openWithXdgOpen(fallbackFolder);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, callTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [fallbackFolder](QDBusPendingCallWatcher* answered) {
                         answered->deleteLater();
                         if (answered->isError())
                             openWithXdgOpen(fallbackFolder);
                     });
}
