#include "shell/PlatformChoice.h"

#include <QByteArrayList>
#include <QtGlobal>

namespace PlatformChoice {

QByteArray platformFor(const QByteArray& userPlatform, const QByteArray& sessionType,
                       const QByteArray& currentDesktop, const QByteArray& display) {
    const bool onGnomeWayland =
        sessionType == "wayland" && currentDesktop.split(':').contains(QByteArrayLiteral("GNOME"));
    if (!userPlatform.isEmpty() || !onGnomeWayland || display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

QByteArray fromEnvironment() {
    return platformFor(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                       qgetenv("XDG_CURRENT_DESKTOP"), qgetenv("DISPLAY"));
}

} // namespace PlatformChoice
