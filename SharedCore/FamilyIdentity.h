#pragma once

#include <QString>

// The names the family of applications shares. The identifier is the default
// keychain service; the suite is the store every application of the family can
// open. Both settings files live in the organisation's folder under
// $XDG_CONFIG_HOME.
namespace FamilyIdentity {
inline const QString identifier = QStringLiteral("io.pilewatch.family");        // 19 characters
inline const QString sharedSuite = QStringLiteral("group.io.pilewatch.family"); // 25 characters
inline const QString organisation = QStringLiteral("Pilewatch");
} // namespace FamilyIdentity
