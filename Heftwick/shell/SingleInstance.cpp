#include "shell/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>

namespace {

constexpr int answerTimeoutMs = 2000;

QDBusMessage callActivate(const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(SingleInstance::serviceName, QStringLiteral("/"),
                                       SingleInstance::serviceName, QStringLiteral("Activate"));
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, answerTimeoutMs);
}

} // namespace

bool SingleInstance::claim(const LaunchToken& launch) {
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
    if (handOver(launch))
        return false;
    // The owner has gone or hangs: run rather than leave the user with nothing.
    own();
    return true;
}

// A Pilewatch from before the platform data took Activate without arguments.
bool SingleInstance::handOver(const LaunchToken& launch) {
    QDBusMessage reply = callActivate({launch.toPlatformData()});
    if (reply.type() == QDBusMessage::ErrorMessage &&
        (reply.errorName() == QDBusError::errorString(QDBusError::UnknownMethod) ||
         reply.errorName() == QDBusError::errorString(QDBusError::InvalidArgs)))
        reply = callActivate({});
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Activate(const QVariantMap& platformData) {
    emit activated(LaunchToken::fromPlatformData(platformData));
}
