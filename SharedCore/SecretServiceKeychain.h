#pragma once

#include <QString>
#include <optional>

// Generic passwords in the desktop's Secret Service (GNOME Keyring, KWallet),
// spoken to through libsecret. An item carries the attributes "account" and
// "service", so `secret-tool lookup account A service S` finds it, and items
// stored by other tools under those two attributes are found here. The secret is
// the UTF-8 bytes of the text.
//
// Every call is synchronous and gives up within a second: when no session bus,
// no secret service, or a service that never answers stands behind the call,
// it ends in false or absent rather than hanging. An unlock prompt that takes
// longer than that is cancelled too.
namespace SecretServiceKeychain {
// Replaces any item with the same account and service; true when stored.
bool save(const QString& value, const QString& account, const QString& service);
// Absent when there is no item, or its secret is not valid UTF-8.
std::optional<QString> read(const QString& account, const QString& service);
// True when an item was deleted.
bool remove(const QString& account, const QString& service);
} // namespace SecretServiceKeychain
