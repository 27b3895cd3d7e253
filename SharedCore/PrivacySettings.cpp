#include "PrivacySettings.h"

#include <QProcess>

namespace PrivacySettings {
namespace {

// The pages each desktop has, by anchor: a GNOME Settings panel and a KDE
// System Settings module.
struct Page {
    const char* anchor;
    const char* gnomePanel;
    const char* kdeModule;
};
constexpr Page pages[] = {
    {microphone, "microphone", "kcm_pulseaudio"},
    {fullDiskAccess, "applications", "kcm_flatpak"},
};

const Page* pageFor(const QString& anchor) {
    for (const Page& page : pages) {
        if (anchor == QLatin1StringView(page.anchor))
            return &page;
    }
    return nullptr;
}

} // namespace

QStringList command(const QString& anchor, const QString& desktop) {
    const Page* page = pageFor(anchor);
    if (!page)
        return {};
    const QStringList names = desktop.split(u':', Qt::SkipEmptyParts);
    if (names.contains(u"GNOME", Qt::CaseInsensitive))
        return {QStringLiteral("gnome-control-center"), QString::fromLatin1(page->gnomePanel)};
    if (names.contains(u"KDE", Qt::CaseInsensitive))
        return {QStringLiteral("systemsettings"), QString::fromLatin1(page->kdeModule)};
    return {};
}

void open(const char* anchor) {
    const QStringList line =
        command(QString::fromLatin1(anchor), qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!line.isEmpty())
        QProcess::startDetached(line.first(), line.mid(1));
}

} // namespace PrivacySettings
