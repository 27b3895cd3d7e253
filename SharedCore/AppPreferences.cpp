#include "AppPreferences.h"

#include "JsonCoding.h"

namespace {
const QString launchAtLoginKey = QStringLiteral("launchAtLogin");
const QString showMenuBarIconKey = QStringLiteral("showMenuBarIcon");
const QString keyboardShortcutsKey = QStringLiteral("keyboardShortcuts");
const QString themeKey = QStringLiteral("theme");
const QString reduceMotionKey = QStringLiteral("reduceMotion");
const QString reduceTransparencyKey = QStringLiteral("reduceTransparency");
} // namespace

AppPreferences::AppPreferences(bool launch, bool showIcon, QMap<QString, QString> shortcuts,
                               Theme chosenTheme, bool motion, bool transparency)
    : launchAtLogin(launch), showMenuBarIcon(showIcon), keyboardShortcuts(std::move(shortcuts)),
      theme(chosenTheme), reduceMotion(motion), reduceTransparency(transparency) {}

const AppPreferences& AppPreferences::defaultSettings() {
    static const AppPreferences defaults;
    return defaults;
}

std::optional<QByteArray> AppPreferences::toJson() const {
    return JsonObjectWriter()
        .addBool(launchAtLoginKey, launchAtLogin)
        .addBool(showMenuBarIconKey, showMenuBarIcon)
        .addStringMap(keyboardShortcutsKey, keyboardShortcuts)
        .addString(themeKey, rawValue(theme))
        .addBool(reduceMotionKey, reduceMotion)
        .addBool(reduceTransparencyKey, reduceTransparency)
        .finish();
}

std::optional<AppPreferences> AppPreferences::fromJson(const QByteArray& json) {
    const std::optional<QJsonObject> object = JsonRead::object(json);
    if (!object)
        return std::nullopt;
    const auto launchAtLogin = JsonRead::boolean(*object, launchAtLoginKey);
    const auto showMenuBarIcon = JsonRead::boolean(*object, showMenuBarIconKey);
    const auto keyboardShortcuts = JsonRead::stringMap(*object, keyboardShortcutsKey);
    const auto themeText = JsonRead::string(*object, themeKey);
    const auto theme = themeText ? themeFromRawValue(*themeText) : std::nullopt;
    const auto reduceMotion = JsonRead::boolean(*object, reduceMotionKey);
    const auto reduceTransparency = JsonRead::boolean(*object, reduceTransparencyKey);
    if (!launchAtLogin || !showMenuBarIcon || !keyboardShortcuts || !theme || !reduceMotion ||
        !reduceTransparency)
        return std::nullopt;
    return AppPreferences(*launchAtLogin, *showMenuBarIcon, *keyboardShortcuts, *theme,
                          *reduceMotion, *reduceTransparency);
}

QString rawValue(AppPreferences::Theme theme) {
    switch (theme) {
    case AppPreferences::Theme::light:
        return QStringLiteral("light");
    case AppPreferences::Theme::dark:
        return QStringLiteral("dark");
    case AppPreferences::Theme::system:
        break;
    }
    return QStringLiteral("system");
}

std::optional<AppPreferences::Theme> themeFromRawValue(const QString& raw) {
    for (const auto theme :
         {AppPreferences::Theme::light, AppPreferences::Theme::dark, AppPreferences::Theme::system})
        if (rawValue(theme) == raw)
            return theme;
    return std::nullopt;
}
