#include "shell/LaunchToken.h"

#include <QRegularExpression>

LaunchToken LaunchToken::fromEnvironment() {
    return {qgetenv("DESKTOP_STARTUP_ID"), qEnvironmentVariable("XDG_ACTIVATION_TOKEN")};
}

LaunchToken LaunchToken::fromPlatformData(const QVariantMap& platformData) {
    return {platformData.value(startupIdKey).toString().toUtf8(),
            platformData.value(activationTokenKey).toString()};
}

QVariantMap LaunchToken::toPlatformData() const {
    QVariantMap data;
    if (!startupId.isEmpty())
        data.insert(startupIdKey, QString::fromUtf8(startupId));
    if (!activationToken.isEmpty())
        data.insert(activationTokenKey, activationToken);
    return data;
}

std::optional<uint32_t> LaunchToken::launchTime() const {
    static const QRegularExpression timeSuffix(QStringLiteral("_TIME([0-9]{1,10})$"));
    const QRegularExpressionMatch match = timeSuffix.match(QString::fromUtf8(startupId));
    bool ok = false;
    const qulonglong time = match.hasMatch() ? match.captured(1).toULongLong(&ok) : 0;
    if (!ok || time == 0 || time > 0xFFFFFFFFull)
        return std::nullopt;
    return uint32_t(time);
}
