#include "shell/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

bool SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    const auto own = [&] {
        return bus.registerService(serviceName) &&
               bus.registerObject(QStringLiteral("/"), this,
                                  QDBusConnection::ExportScriptableSlots);
    };
    if (own())
        return true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName, QStringLiteral("/"), serviceName, QStringLiteral("Activate"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return false;
    // The owner has gone or hangs: run rather than leave the user with nothing.
    own();
    return true;
}

void SingleInstance::Activate() {
    emit activated();
}
