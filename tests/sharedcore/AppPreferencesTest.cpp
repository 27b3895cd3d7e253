#include "SharedCore/AppPreferences.h"

#include "TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QByteArray customJson =
    R"({"launchAtLogin":true,"showMenuBarIcon":false,"keyboardShortcuts":{"open":"⌘O",)"
    R"("quote":"say \"hi\"\n"},"theme":"dark","reduceMotion":true,"reduceTransparency":false})";

AppPreferences customPreferences() {
    return AppPreferences(true, false, {{"open", "⌘O"}, {"quote", "say \"hi\"\n"}},
                          AppPreferences::Theme::dark, true, false);
}

// The bytes under "appPreferences", read past the library.
QByteArray storedBytes() {
    return StorageManager::shared().get("appPreferences").value_or(QVariant()).toByteArray();
}

void store(const QByteArray& json) {
    StorageManager::shared().set(QVariant(json), "appPreferences");
}

QByteArray edited(const std::function<void(QJsonObject&)>& edit) {
    QJsonObject object = QJsonDocument::fromJson(customJson).object();
    edit(object);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

TEST(AppPreferences, LoadsTheDefaultsWhenNothingIsStored) {
    ScopedHome home;
    const AppPreferences loaded = AppPreferences::load();
    EXPECT_FALSE(loaded.launchAtLogin);
    EXPECT_TRUE(loaded.showMenuBarIcon);
    EXPECT_TRUE(loaded.keyboardShortcuts.isEmpty());
    EXPECT_EQ(loaded.theme, AppPreferences::Theme::system);
    EXPECT_FALSE(loaded.reduceMotion);
    EXPECT_FALSE(loaded.reduceTransparency);
    EXPECT_EQ(loaded, AppPreferences());
    EXPECT_EQ(&AppPreferences::defaultSettings(), &AppPreferences::defaultSettings());
}

TEST(AppPreferences, SavesCompactJsonInFieldOrder) {
    ScopedHome home;
    customPreferences().save();
    EXPECT_EQ(storedBytes(), customJson);
    EXPECT_EQ(AppPreferences().toJson(),
              QByteArray(R"({"launchAtLogin":false,"showMenuBarIcon":true,"keyboardShortcuts":{},)"
                         R"("theme":"system","reduceMotion":false,"reduceTransparency":false})"));
}

TEST(AppPreferences, SaveThenLoadGivesAnEqualRecord) {
    ScopedHome home;
    for (const auto theme : {AppPreferences::Theme::light, AppPreferences::Theme::dark,
                             AppPreferences::Theme::system}) {
        AppPreferences preferences = customPreferences();
        preferences.theme = theme;
        preferences.save();
        EXPECT_EQ(AppPreferences::load(), preferences) << rawValue(theme).toStdString();
    }
}

// Any fault in the stored object gives the whole default record, and the bad
// bytes stay where they are until the next save.
TEST(AppPreferences, AFaultyStoredObjectLoadsAsTheDefaults) {
    ScopedHome home;
    const QStringList keys = {"launchAtLogin", "showMenuBarIcon", "keyboardShortcuts",
                              "theme",         "reduceMotion",    "reduceTransparency"};
    QList<QByteArray> faulty;
    for (const QString& key : keys)
        faulty << edited([&](QJsonObject& o) { o.remove(key); })
               << edited([&](QJsonObject& o) { o[key] = QJsonValue::Null; });
    faulty << edited([](QJsonObject& o) { o["launchAtLogin"] = "true"; })
           << edited([](QJsonObject& o) { o["showMenuBarIcon"] = 1; })
           << edited([](QJsonObject& o) {
                  o["keyboardShortcuts"] = QJsonObject{{"open", 1}};
              })
           << edited([](QJsonObject& o) { o["keyboardShortcuts"] = QJsonArray(); })
           << edited([](QJsonObject& o) { o["theme"] = "Dark"; })
           << edited([](QJsonObject& o) { o["theme"] = "sepia"; })
           << edited([](QJsonObject& o) { o["theme"] = 1; })
           << edited([](QJsonObject& o) { o["reduceMotion"] = 0; }) << R"([true,false])"
           << R"({"launchAtLogin":true,)"
           << "";
    for (const QByteArray& json : faulty) {
        store(json);
        EXPECT_EQ(AppPreferences::load(), AppPreferences()) << json.toStdString();
        EXPECT_EQ(storedBytes(), json);
    }
}

TEST(AppPreferences, ExtraKeysAreIgnored) {
    ScopedHome home;
    store(edited([](QJsonObject& o) {
        o["accentColor"] = "teal";
        o["version"] = 3;
    }));
    EXPECT_EQ(AppPreferences::load(), customPreferences());
}

TEST(AppPreferences, AStoredValueThatIsNotDataLoadsAsTheDefaults) {
    ScopedHome home;
    StorageManager::shared().set(QVariant(QString::fromUtf8(customJson)), "appPreferences");
    EXPECT_EQ(AppPreferences::load(), AppPreferences());
}
