#pragma once

// Private to the library: opening the desktop's privacy settings at the page
// for one permission, named by the family's anchors.

#include <QString>
#include <QStringList>

namespace PrivacySettings {

inline constexpr const char* accessibility = "Privacy_Accessibility";
inline constexpr const char* inputMonitoring = "Privacy_ListenEvent";
inline constexpr const char* microphone = "Privacy_Microphone";
inline constexpr const char* calendars = "Privacy_Calendars";
inline constexpr const char* fullDiskAccess = "Privacy_AllFiles";

// The command line that opens the page for anchor on the desktop named by
// desktop (the value of XDG_CURRENT_DESKTOP: names separated by colons), or
// empty when that desktop has no such page.
//
// GNOME Settings: the Microphone page, and the Applications page (each app's
//   permissions, file access of sandboxed apps among them) for full disk access.
// KDE System Settings: the Audio module (where capture devices are chosen and
//   muted) for the microphone, and Flatpak Permissions for full disk access.
// Neither desktop has a page for accessibility or input monitoring (on X11
// every client may observe and synthesize input) nor one for calendar access;
// other desktops have none of these pages.
QStringList command(const QString& anchor, const QString& desktop);

// Starts the command for anchor on the running desktop, detached, without
// waiting for it; does nothing when there is none or it cannot be started.
void open(const char* anchor);

} // namespace PrivacySettings
