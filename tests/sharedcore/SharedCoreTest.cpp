#include "SharedCore/AppPreferences.h"
#include "SharedCore/PersistentModels.h"
#include "SharedCore/UsageStats.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ranges>
#include <sqlite3.h>
#include <unistd.h>

namespace {

StorageManager& storage = StorageManager::shared();

const QByteArray customJson =
    R"({"launchAtLogin":true,"showMenuBarIcon":false,"keyboardShortcuts":{"open":"⌘O",)"
    R"("quote":"say \"hi\"\n"},"theme":"dark","reduceMotion":true,"reduceTransparency":false})";
const AppPreferences custom(true, false, {{"open", "⌘O"}, {"quote", "say \"hi\"\n"}},
                            AppPreferences::Theme::dark, true, false);
const QByteArray usageJson = R"({"launchCount":1,"totalUsageTime":0,"featureUsage":{}})";

// The JSON object (by default customJson) with key set to value; undefined removes it.
QByteArray with(const QString& key, const QJsonValue& value, const QByteArray& json = customJson) {
    QJsonObject object = QJsonDocument::fromJson(json).object();
    object.insert(key, value);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// 2001-01-01 00:00:00 UTC plus the given milliseconds.
QDateTime referencePlus(qint64 msecs) {
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addMSecs(msecs);
}

// A record's stored properties in schema order, as the property system reads them.
QVariantList valuesOf(const PersistentRecord& record) {
    QVariantList values;
    const QMetaObject* type = record.metaObject();
    for (int i = type->propertyOffset(); i < type->propertyCount(); ++i)
        values << type->property(i).read(&record);
    return values;
}

// Runs one SQL statement on the file; gives the first value of its last row.
QString sql(const QByteArray& path, const QByteArray& statement) {
    sqlite3* database = nullptr;
    sqlite3_open(path.constData(), &database);
    QString value;
    const auto keep = [](void* out, int, char** row, char**) {
        *static_cast<QString*>(out) = row[0];
        return 0;
    };
    sqlite3_exec(database, statement.constData(), keep, &value, nullptr);
    sqlite3_close(database);
    return value;
}

// The columns of a table as SQLite itself reports them: name, type, not-null.
QString columnsOf(const QByteArray& path, const char* table) {
    return sql(path, QByteArray("SELECT group_concat(name || ' ' || type || iif(\"notnull\", "
                                "' NOT NULL', ''), ', ') FROM pragma_table_info('") +
                         table + "')");
}

class PersistentModels : public ::testing::Test {
protected:
    // Qt's own file classes cannot remove a name that is not UTF-8.
    ~PersistentModels() override { ::unlink(path.constData()); }
    ScopedHome home;
    const QByteArray path = home.homeBytes() + "/activity \xe9.sqlite"; // not UTF-8 on purpose
};

} // namespace

TEST(AppPreferences, SavesCompactJsonInFieldOrderAndLoadsItBack) {
    ScopedHome home;
    EXPECT_EQ(AppPreferences::load(), AppPreferences());
    EXPECT_EQ(AppPreferences::defaultSettings().toJson(),
              QByteArray(R"({"launchAtLogin":false,"showMenuBarIcon":true,"keyboardShortcuts":{},)"
                         R"("theme":"system","reduceMotion":false,"reduceTransparency":false})"));
    custom.save();
    EXPECT_EQ(storage.get("appPreferences"), QVariant(customJson));
    EXPECT_EQ(AppPreferences::load(), custom);
    for (const auto theme : {AppPreferences::Theme::light, AppPreferences::Theme::system}) {
        AppPreferences(true, false, {}, theme).save();
        EXPECT_EQ(AppPreferences::load().theme, theme) << rawValue(theme).toStdString();
    }
}

// Decoding is all or nothing: any fault gives the whole default record, and the
// stored value stays as it was until the next save. Extra keys are ignored.
TEST(AppPreferences, DecodesStrictly) {
    ScopedHome home;
    QList<QVariant> faulty = {QByteArray("[true,false]"), QByteArray(R"({"launchAtLogin":true,)"),
                              QByteArray(), QString::fromUtf8(customJson)}; // last: text, not data
    for (const QString key : {"launchAtLogin", "showMenuBarIcon", "keyboardShortcuts", "theme",
                              "reduceMotion", "reduceTransparency"})
        faulty << with(key, QJsonValue::Undefined) << with(key, QJsonValue::Null);
    faulty << with("launchAtLogin", "true") << with("showMenuBarIcon", 1)
           << with("keyboardShortcuts", QJsonObject{{"open", 1}})
           << with("keyboardShortcuts", QJsonArray()) << with("theme", "Dark")
           << with("theme", "sepia") << with("theme", 1) << with("reduceMotion", 0);
    for (const QVariant& stored : faulty) {
        SCOPED_TRACE(stored.toString().toStdString());
        storage.set(stored, "appPreferences");
        EXPECT_EQ(AppPreferences::load(), AppPreferences());
        EXPECT_EQ(storage.get("appPreferences"), stored);
    }
    storage.set(QVariant(with("accentColor", "teal")), "appPreferences");
    EXPECT_EQ(AppPreferences::load(), custom);
}

TEST(UsageStats, RecordsLaunchesAndFeatures) {
    UsageStats stats;
    const QDateTime before = QDateTime::currentDateTimeUtc();
    stats.recordLaunch();
    const QDateTime after = QDateTime::currentDateTimeUtc();
    EXPECT_EQ(stats.launchCount, 1);
    ASSERT_TRUE(stats.firstLaunchDate && stats.lastLaunchDate);
    EXPECT_GE(*stats.lastLaunchDate, before);
    EXPECT_LE(*stats.lastLaunchDate, *stats.firstLaunchDate);
    EXPECT_LE(*stats.firstLaunchDate, after);
    const QDateTime first = *stats.firstLaunchDate;
    stats.lastLaunchDate = referencePlus(0);
    stats.recordLaunch();
    stats.recordFeature("export");
    stats.recordFeature("export");
    stats.recordFeature("scan");
    EXPECT_EQ(stats.launchCount, 2);
    EXPECT_EQ(stats.firstLaunchDate, first);
    EXPECT_GE(*stats.lastLaunchDate, after);
    EXPECT_EQ(stats.featureUsage, (QMap<QString, qint64>{{"export", 2}, {"scan", 1}}));
    // Counts stop at the largest value instead of overflowing.
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    UsageStats full(most, std::nullopt, std::nullopt, 0, {{"scan", most}});
    full.recordLaunch();
    full.recordFeature("scan");
    EXPECT_EQ(full.launchCount, most);
    EXPECT_EQ(full.featureUsage["scan"], most);
}

TEST(UsageStats, EncodesCompactJsonWithDatesAsSecondsSince2001) {
    const UsageStats stats(3, referencePlus(1500), referencePlus(726000000250), 12.5,
                           {{"scan", 7}, {"export", 2}});
    EXPECT_EQ(stats.toJson(),
              QByteArray(R"({"launchCount":3,"firstLaunchDate":1.5,"lastLaunchDate":726000000.25,)"
                         R"("totalUsageTime":12.5,"featureUsage":{"export":2,"scan":7}})"));
    EXPECT_EQ(UsageStats().toJson(),
              QByteArray(R"({"launchCount":0,"totalUsageTime":0,"featureUsage":{}})"));
    EXPECT_EQ(UsageStats(0, referencePlus(-86400000), std::nullopt, 1e-7, {}).toJson(),
              QByteArray(R"({"launchCount":0,"firstLaunchDate":-86400,"totalUsageTime":1e-07,)"
                         R"("featureUsage":{}})"));
}

// The dates may be missing or null; the other three keys are required and typed.
TEST(UsageStats, DecodesStrictly) {
    EXPECT_EQ(UsageStats::fromJson(with("firstLaunchDate", QJsonValue::Null, usageJson)),
              UsageStats(1, std::nullopt, std::nullopt, 0, {}));
    EXPECT_EQ(
        UsageStats::fromJson(R"({"launchCount":2.0,"firstLaunchDate":0.001,"lastLaunchDate":-1,)"
                             R"("totalUsageTime":60,"featureUsage":{"a":1},"sessions":[1,2]})"),
        UsageStats(2, referencePlus(1), referencePlus(-1000), 60, {{"a", 1}}));
    QList<QByteArray> faulty = {
        R"({"launchCount":9223372036854775808,"totalUsageTime":0,"featureUsage":{}})"};
    for (const QString key : {"launchCount", "totalUsageTime", "featureUsage"})
        faulty << with(key, QJsonValue::Undefined, usageJson) << with(key, "1", usageJson);
    for (const QJsonValue& wrong : {QJsonValue(QJsonObject{{"a", "1"}}),
                                    QJsonValue(QJsonObject{{"a", 0.5}}), QJsonValue(QJsonArray())})
        faulty << with("featureUsage", wrong, usageJson);
    faulty << with("launchCount", 1.5, usageJson)
           << with("firstLaunchDate", "2024-01-01", usageJson)
           << with("lastLaunchDate", 1e300, usageJson);
    for (const QByteArray& json : faulty)
        EXPECT_EQ(UsageStats::fromJson(json), std::nullopt) << json.toStdString();
}

// A non-finite usage time cannot be written as JSON: nothing is stored, and the
// value stored before stays.
TEST(UsageStats, RoundTripsThroughTheStoreUnderTheCallersKey) {
    ScopedHome home;
    const UsageStats stats(2, referencePlus(1500), referencePlus(-250), 93.75, {{"scan", 1}});
    storage.set(stats, "usage");
    EXPECT_EQ(storage.get<UsageStats>("usage"), stats);
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        UsageStats broken = stats;
        broken.totalUsageTime = bad;
        EXPECT_FALSE(broken.toJson());
        storage.set(broken, "usage");
        EXPECT_EQ(storage.get<UsageStats>("usage"), stats);
    }
}

// Plain values are kept as themselves in the application's INI file, under flat
// names: a slash is part of the name, not a path, and the empty key names nothing.
TEST(StorageManager, KeepsPlainValuesUnderFlatNames) {
    ScopedHome home;
    const std::pair<QString, QVariant> entries[] = {
        {"recent", "text"},
        {"recent/1", QByteArray("\x00\xff\x10", 3)},
        {"recent/", QStringList{"a", "b c"}},
        {"recent%2F1", QVariantMap{{"width", "640"}, {"title", "Heftwick"}}},
        {"other", "kept"}};
    for (const auto& [key, value] : entries)
        storage.set(value, key);
    for (const auto& [key, value] : entries)
        EXPECT_EQ(storage.get(key), value) << key.toStdString();
    EXPECT_EQ(storage.get("/recent"), std::nullopt);
    const QString file =
        home.configHome() + "/Pilewatch/" + QCoreApplication::applicationName() + ".conf";
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("recent"), "text");
    storage.remove("recent");
    storage.set(QVariant("nowhere"), "");
    storage.set(UsageStats(), "");
    EXPECT_EQ(storage.get(""), std::nullopt);
    EXPECT_EQ(storage.get<UsageStats>(""), std::nullopt);
    storage.remove("");
    EXPECT_EQ(storage.get("recent"), std::nullopt);
    for (const auto& [key, value] : entries | std::views::drop(1))
        EXPECT_EQ(storage.get(key), value) << key.toStdString();
}

TEST(StorageManager, SharedDefaultsOpensTheFamilySuite) {
    ScopedHome home;
    const std::unique_ptr<QSettings> suite = storage.sharedDefaults();
    ASSERT_TRUE(suite);
    EXPECT_EQ(suite->fileName(), home.configHome() + "/Pilewatch/group.io.pilewatch.family.conf");
    suite->setValue("shared", 7);
    suite->sync();
    EXPECT_EQ(storage.get("shared"), std::nullopt); // the suite is not the standard store
}

// Writing a stored property (the property system's writers assign the fields)
// announces it by the property's own signal and changed(), once.
TEST_F(PersistentModels, NewRecordsStartAsInitializedAndAnnounceEveryChange) {
    const QDateTime before = QDateTime::currentDateTimeUtc();
    ClipboardItem item("hello", std::nullopt);
    DailyActivity day;
    const QDateTime after = QDateTime::currentDateTimeUtc();
    const QVariant noText = QVariant::fromValue(std::optional<QString>());
    EXPECT_EQ(valuesOf(item), QVariantList({"hello", item.timestamp(), noText, false}));
    EXPECT_GE(item.timestamp(), before);
    EXPECT_LE(item.timestamp(), after);
    EXPECT_FALSE(item.persistentId());
    EXPECT_EQ(valuesOf(day), QVariantList({day.date(), 0.0, qint64(0), 0.0}));
    EXPECT_GE(day.date(), before);
    EXPECT_LE(day.date(), after);
    const QDateTime afternoon = referencePlus(731353333250);
    EXPECT_EQ(DailyActivity(afternoon).date(), afternoon); // not rounded to the day

    const std::pair<PersistentRecord*, QVariantList> writes[] = {
        {&item, {"b", afternoon, QVariant::fromValue(std::optional<QString>("Mail")), true}},
        {&day, {afternoon, 12.5, qint64(40), 3600.0}}};
    for (const auto& [record, values] : writes) {
        for (int i = 0; i < values.size(); ++i) {
            const QMetaProperty property =
                record->metaObject()->property(record->metaObject()->propertyOffset() + i);
            SCOPED_TRACE(property.name());
            QSignalSpy own(record, property.notifySignal());
            QSignalSpy any(record, &PersistentRecord::changed);
            EXPECT_TRUE(property.write(record, values[i]));
            EXPECT_TRUE(property.write(record, values[i]));
            EXPECT_EQ(own.count(), 1);
            EXPECT_EQ(any.count(), 1);
        }
        EXPECT_EQ(valuesOf(*record), values);
    }
}

// Each record type is a table of exactly its properties. A store gives one
// object per record, and two records with equal contents are different records.
// What reaches the file is what was saved, inserted records and changes alike.
TEST_F(PersistentModels, SavedRecordsSurviveReopeningTheStore) {
    auto copied = std::make_shared<ClipboardItem>("same text", QString("Terminal"));
    auto copiedAgain = std::make_shared<ClipboardItem>("same text", std::nullopt);
    auto day = std::make_shared<DailyActivity>(referencePlus(731353333250));
    const QVariantList copiedValues = valuesOf(*copied);
    {
        const auto store = ActivityStore::open(path);
        ASSERT_TRUE(store);
        EXPECT_EQ(columnsOf(path, "ClipboardItem"),
                  "content TEXT NOT NULL, timestamp REAL NOT NULL, "
                  "appSource TEXT, isPinned INTEGER NOT NULL");
        EXPECT_EQ(columnsOf(path, "DailyActivity"),
                  "date REAL NOT NULL, mouseDistance REAL NOT NULL, "
                  "keystrokes INTEGER NOT NULL, activeTime REAL NOT NULL");
        store->insert(copied);
        store->insert(copiedAgain);
        store->insert(day);
        ASSERT_TRUE(store->save());
        copiedAgain->isPinned = true;
        day->keystrokes = 1234;
        day->mouseDistance = 56.75;
        ASSERT_TRUE(store->save());
        EXPECT_EQ(store->fetch<ClipboardItem>(), std::vector({copied, copiedAgain}));
        EXPECT_EQ(store->fetch<DailyActivity>(), std::vector({day}));
        copied->content = "never saved";
        store->insert(std::make_shared<ClipboardItem>("never saved either", std::nullopt));
    }
    const auto reopened = ActivityStore::open(path);
    ASSERT_TRUE(reopened);
    const auto items = reopened->fetch<ClipboardItem>();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->persistentId(), copied->persistentId());
    EXPECT_EQ(items[1]->persistentId(), copiedAgain->persistentId());
    EXPECT_EQ(valuesOf(*items[0]), copiedValues);
    EXPECT_EQ(valuesOf(*items[1]), valuesOf(*copiedAgain));
    const auto days = reopened->fetch<DailyActivity>();
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(valuesOf(*days[0]), valuesOf(*day));
}

// A table of the same name with other columns is someone else's: left untouched.
TEST_F(PersistentModels, RefusesAForeignTableOfTheSameName) {
    sql(path, "CREATE TABLE ClipboardItem (content TEXT, source TEXT)");
    EXPECT_FALSE(ActivityStore::open(path));
    EXPECT_EQ(columnsOf(path, "ClipboardItem"), "content TEXT, source TEXT");
}
