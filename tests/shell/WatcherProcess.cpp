#include "WatcherProcess.h"

#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>

WatcherProcess::WatcherProcess() {
    m_process.start(STATUS_NOTIFIER_WATCHER_STUB, {});
}

WatcherProcess::~WatcherProcess() {
    m_process.closeWriteChannel(); // the stub exits when its input closes
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished();
}

bool WatcherProcess::ready() {
    return nextLine() == "ready";
}

std::optional<WatcherProcess::Item> WatcherProcess::nextItem() {
    const QStringList words = nextLine().split(' ');
    if (words.size() != 3 || words[0] != "item")
        return std::nullopt;
    return Item{words[1], words[2]};
}

QString WatcherProcess::nextLine() {
    if (!waitUntil([&] { return m_process.canReadLine(); }))
        return {};
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

bool activate(const WatcherProcess::Item& item) {
    QDBusMessage call = QDBusMessage::createMethodCall(item.service, item.path,
                                                       "org.kde.StatusNotifierItem", "Activate");
    call << 640 << 12;
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    return waitUntil([&] { return pending.isFinished(); }) && !pending.isError();
}
