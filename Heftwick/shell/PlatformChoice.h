#pragma once

#include <QByteArray>

// The window system Pilewatch asks Qt for, where it has a better one than
// Qt's own choice. GNOME's Wayland session lets no client place a surface
// beside its top bar, so there a native panel opens wherever GNOME puts new
// windows; under XWayland the panel opens at the icon the AppIndicator
// extension reports, and GNOME's settings daemon hands X clients the
// session's scale, so it stays sharp at whole scales. A platform the user
// chose (QT_QPA_PLATFORM) is always kept.
namespace PlatformChoice {

// The platform plugin to ask for, or empty to leave the choice to Qt.
QByteArray platformFor(const QByteArray& userPlatform, const QByteArray& sessionType,
                       const QByteArray& currentDesktop, const QByteArray& display);
// The same, from this process's environment.
QByteArray fromEnvironment();

} // namespace PlatformChoice
