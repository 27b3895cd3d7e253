#pragma once

#include "FamilyIdentity.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <concepts>
#include <memory>
#include <optional>

// A record that knows its own JSON form: toJson() gives the stored bytes (absent
// when the record cannot be encoded), fromJson() decodes them completely or
// gives absent.
template <class T>
concept JsonCodable = requires(const T& value, const QByteArray& bytes) {
    { value.toJson() } -> std::same_as<std::optional<QByteArray>>;
    { T::fromJson(bytes) } -> std::same_as<std::optional<T>>;
};

// The family's one way to keep small amounts of state between runs: JSON
// records and plain values in the process's settings store, and short secrets
// in the desktop's keyring. Nothing here throws or prints; every failure ends
// in nothing stored, an absent value or false.
//
// The settings store is QSettings' native format, an INI file at
// $XDG_CONFIG_HOME/<organisation>/<application>.conf. Every operation opens it
// afresh and writes through at once: the store is safe to use from any thread,
// other processes of the family see a change immediately, and nothing waits in
// memory for a flush that a crash would lose.
class StorageManager {
public:
    // The single instance, created on first use (thread-safely).
    static StorageManager& shared();

    StorageManager(const StorageManager&) = delete;
    StorageManager& operator=(const StorageManager&) = delete;

    // Stores the record's JSON bytes under key; stores nothing (the previous
    // value stays) when the record cannot be encoded.
    template <JsonCodable T> void set(const T& value, const QString& key) const {
        if (const std::optional<QByteArray> bytes = value.toJson())
            set(QVariant(*bytes), key);
    }

    // The record stored under key, or absent when there is none, it is not
    // data, or it does not decode. A bad stored value is left untouched.
    template <JsonCodable T> std::optional<T> get(const QString& key) const {
        const std::optional<QByteArray> bytes = data(key);
        if (!bytes)
            return std::nullopt;
        return T::fromJson(*bytes);
    }

    // Plain values are stored as themselves (no JSON). The INI format keeps
    // strings, byte arrays, lists and maps; numbers and booleans come back as
    // their text. Keys are flat names (a slash is part of the name); the empty
    // key stores nothing and reads absent.
    void set(const QVariant& value, const QString& key) const;
    std::optional<QVariant> get(const QString& key) const;
    void remove(const QString& key) const;

    // Generic passwords in the Secret Service, identified by the attributes
    // "account" and "service". Each call gives up within a second when no
    // secret service answers.
    bool saveToKeychain(const QString& value, const QString& account,
                        const QString& service = FamilyIdentity::identifier) const;
    std::optional<QString>
    readFromKeychain(const QString& account,
                     const QString& service = FamilyIdentity::identifier) const;
    // False when no item was there to delete.
    bool deleteFromKeychain(const QString& account,
                            const QString& service = FamilyIdentity::identifier) const;

    // The family's shared suite, opened anew on every call; absent when its file
    // cannot be read or written.
    std::unique_ptr<QSettings> sharedDefaults() const;

private:
    StorageManager() = default;

    std::optional<QByteArray> data(const QString& key) const;
};
