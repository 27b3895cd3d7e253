#include "PrivacySettings.h"

#include <QProcess>

namespace PrivacySettings {
namespace {

enum class Desktop { gnome, kde, other };

Desktop desktopFrom(const QString& currentDesktop) {
    const QStringList names = currentDesktop.split(u':', Qt::SkipEmptyParts);
    if (names.contains(u"GNOME", Qt::CaseInsensitive))
        return Desktop::gnome;
    if (names.contains(u"KDE", Qt::CaseInsensitive))
        return Desktop::kde;
    return Desktop::other;
}

QString gnomePanel(const QString& anchor) {
    if (anchor == QLatin1StringView(microphone))
        return QStringLiteral("microphone");
    if (anchor == QLatin1StringView(fullDiskAccess))
        return QStringLiteral("applications");
    return {};
}

QString kdeModule(const QString& anchor) {
    if (anchor == QLatin1StringView(microphone))
        return QStringLiteral("kcm_pulseaudio");
    if (anchor == QLatin1StringView(fullDiskAccess))
        return QStringLiteral("kcm_flatpak");
    return {};
}

QStringList commandWith(const QString& program, const QString& page) {
    if (page.isEmpty())
        return {};
    return {program, page};
}

} // namespace

QStringList command(const QString& anchor, const QString& desktop) {
    switch (desktopFrom(desktop)) {
    case Desktop::gnome:
        return commandWith(QStringLiteral("gnome-control-center"), gnomePanel(anchor));
    case Desktop::kde:
        return commandWith(QStringLiteral("systemsettings"), kdeModule(anchor));
    case Desktop::other:
        break;
    }
    return {};
}

void open(const char* anchor) {
    const QStringList line =
        command(QString::fromLatin1(anchor), qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!line.isEmpty())
        QProcess::startDetached(line.first(), line.mid(1));
}

} // namespace PrivacySettings
