#include "SandboxPermissions.h"

#include <QFile>
#include <QList>

namespace {

// The entries of one group of a key file ("[Group]" lines, then "key=value").
QList<std::pair<QByteArray, QByteArray>> entries(const QByteArray& keyFile,
                                                 const QByteArray& group) {
    QList<std::pair<QByteArray, QByteArray>> found;
    bool inGroup = false;
    for (const QByteArray& rawLine : keyFile.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == '[' + group + ']';
        } else if (inGroup && !line.startsWith('#')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                found.append({line.first(equals).trimmed(), line.sliced(equals + 1).trimmed()});
        }
    }
    return found;
}

QList<QByteArray> listValue(const QByteArray& keyFile, const QByteArray& group,
                            const QByteArray& key) {
    for (const auto& [name, value] : entries(keyFile, group)) {
        if (name == key)
            return value.split(';');
    }
    return {};
}

bool talksToCalendars(const QByteArray& flatpakInfo) {
    if (listValue(flatpakInfo, "Context", "sockets").contains("session-bus"))
        return true;
    for (const auto& [name, policy] : entries(flatpakInfo, "Session Bus Policy")) {
        if (name.startsWith("org.gnome.evolution.dataserver.") &&
            (policy == "talk" || policy == "own"))
            return true;
    }
    return false;
}

std::optional<QByteArray> readFlatpakInfo() {
    QFile file(QStringLiteral("/.flatpak-info"));
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

SandboxPermissions SandboxPermissions::from(const std::optional<QByteArray>& flatpakInfo) {
    if (!flatpakInfo)
        return {};
    return {listValue(*flatpakInfo, "Context", "sockets").contains("pulseaudio"),
            talksToCalendars(*flatpakInfo)};
}

const SandboxPermissions& SandboxPermissions::current() {
    static const SandboxPermissions permissions = from(readFlatpakInfo());
    return permissions;
}
