#pragma once

#include "AppSettings.h"

#include <QMap>
#include <QString>
#include <optional>

// The family's common preferences record, stored under "appPreferences" as one
// compact JSON object with its six keys in field order.
struct AppPreferences : AppSettings<AppPreferences> {
    enum class Theme { light, dark, system };

    static inline const QString settingsKey = QStringLiteral("appPreferences");
    // Every field at its default; built once, on first use, and then shared.
    static const AppPreferences& defaultSettings();

    AppPreferences() = default;
    explicit AppPreferences(bool launchAtLogin, bool showMenuBarIcon = true,
                            QMap<QString, QString> keyboardShortcuts = {},
                            Theme theme = Theme::system, bool reduceMotion = false,
                            bool reduceTransparency = false);

    bool launchAtLogin = false;
    bool showMenuBarIcon = true;
    // Action name to key description, kept opaquely for the applications.
    QMap<QString, QString> keyboardShortcuts;
    Theme theme = Theme::system;
    bool reduceMotion = false;
    bool reduceTransparency = false;

    std::optional<QByteArray> toJson() const;
    // All six keys are required, of their JSON types; extra keys are ignored.
    static std::optional<AppPreferences> fromJson(const QByteArray& json);

    friend bool operator==(const AppPreferences&, const AppPreferences&) = default;
};

// The theme's raw text: "light", "dark" or "system".
QString rawValue(AppPreferences::Theme theme);
// Absent for any other text.
std::optional<AppPreferences::Theme> themeFromRawValue(const QString& raw);
