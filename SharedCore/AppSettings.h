#pragma once

#include "StorageManager.h"

#include <concepts>

// A settings record: JSON-codable, with the key it is stored under and a
// complete default record used whenever nothing usable is stored.
template <class Record>
concept SettingsRecord = JsonCodable<Record> && requires {
    { Record::settingsKey } -> std::convertible_to<QString>;
    { Record::defaultSettings() } -> std::convertible_to<const Record&>;
};

// Gives a settings record load() and save() through the shared StorageManager.
// Loading is all-or-nothing: the stored JSON decodes completely, or the whole
// default record is used (and the bad stored value is left as it is).
template <class Record> class AppSettings {
public:
    static Record load() {
        static_assert(SettingsRecord<Record>);
        return StorageManager::shared()
            .get<Record>(Record::settingsKey)
            .value_or(Record::defaultSettings());
    }

    void save() const {
        static_assert(SettingsRecord<Record>);
        StorageManager::shared().set(static_cast<const Record&>(*this), Record::settingsKey);
    }

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};
