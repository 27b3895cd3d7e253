#include "SharedCore/PersistentModels.h"

#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

QDateTime utc(const char* iso) {
    return QDateTime::fromString(iso, Qt::ISODateWithMs);
}

// The columns of a table as SQLite itself reports them: name, type, not-null.
QStringList columnsOf(const QByteArray& path, const char* table) {
    sqlite3* database = nullptr;
    sqlite3_open_v2(path.constData(), &database, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database, QByteArray("PRAGMA table_info(") + table + ")", -1, &statement,
                       nullptr);
    QStringList columns;
    while (sqlite3_step(statement) == SQLITE_ROW)
        columns << QString("%1 %2%3").arg(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)),
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)),
            sqlite3_column_int(statement, 3) ? " NOT NULL" : "");
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return columns;
}

class PersistentModels : public ::testing::Test {
protected:
    // The store's name is not valid UTF-8, which Qt's own file classes cannot
    // remove; the fixture does it byte-exactly.
    ~PersistentModels() override { ::unlink(path.constData()); }

    ScopedHome home;
    const QByteArray path = home.homeBytes() + "/activity \xe9.sqlite"; // not UTF-8 on purpose
};

} // namespace

TEST_F(PersistentModels, NewRecordsStartAsTheirInitializersSay) {
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const ClipboardItem item("hello", std::nullopt);
    const DailyActivity today;
    const QDateTime after = QDateTime::currentDateTimeUtc();

    // The stored properties are plain fields under their own names.
    const QString content = item.content;
    const QDateTime timestamp = item.timestamp;
    const std::optional<QString> appSource = item.appSource;
    const bool isPinned = item.isPinned;
    EXPECT_EQ(content, "hello");
    EXPECT_GE(timestamp, before);
    EXPECT_LE(timestamp, after);
    EXPECT_EQ(appSource, std::nullopt);
    EXPECT_FALSE(isPinned);
    EXPECT_FALSE(item.persistentId());

    EXPECT_GE(today.date(), before);
    EXPECT_LE(today.date(), after);
    EXPECT_EQ(today.mouseDistance(), 0.0);
    EXPECT_EQ(today.keystrokes(), 0);
    EXPECT_EQ(today.activeTime(), 0.0);

    const QDateTime afternoon = utc("2024-03-05T17:42:13.250Z");
    EXPECT_EQ(DailyActivity(afternoon).date(), afternoon); // not rounded to the day
}

TEST_F(PersistentModels, EveryPropertyChangeIsAnnounced) {
    ClipboardItem item("a", QString("Editor"));
    QStringList heard;
    int changes = 0;
    QObject::connect(&item, &ClipboardItem::contentChanged, [&] { heard << "content"; });
    QObject::connect(&item, &ClipboardItem::timestampChanged, [&] { heard << "timestamp"; });
    QObject::connect(&item, &ClipboardItem::appSourceChanged, [&] { heard << "appSource"; });
    QObject::connect(&item, &ClipboardItem::isPinnedChanged, [&] { heard << "isPinned"; });
    QObject::connect(&item, &PersistentRecord::changed, [&] { ++changes; });

    item.content = "b";
    item.timestamp = utc("2020-01-01T00:00:00Z");
    item.appSource = std::nullopt;
    item.isPinned = true;
    item.isPinned = true; // unchanged: nothing to announce
    EXPECT_EQ(heard, QStringList({"content", "timestamp", "appSource", "isPinned"}));
    EXPECT_EQ(changes, 4);

    DailyActivity day;
    QStringList dayHeard;
    QObject::connect(&day, &DailyActivity::dateChanged, [&] { dayHeard << "date"; });
    QObject::connect(&day, &DailyActivity::mouseDistanceChanged, [&] { dayHeard << "mouse"; });
    QObject::connect(&day, &DailyActivity::keystrokesChanged, [&] { dayHeard << "keys"; });
    QObject::connect(&day, &DailyActivity::activeTimeChanged, [&] { dayHeard << "active"; });
    day.date = utc("2020-01-01T00:00:00Z");
    day.mouseDistance = 12.5;
    day.keystrokes = 40;
    day.activeTime = 3600;
    EXPECT_EQ(dayHeard, QStringList({"date", "mouse", "keys", "active"}));

    // The property system reads and writes the same fields, with the same signals.
    EXPECT_EQ(day.property("keystrokes").toLongLong(), 40);
    EXPECT_TRUE(day.setProperty("activeTime", 7200.0));
    EXPECT_EQ(day.activeTime(), 7200.0);
    EXPECT_EQ(dayHeard.last(), "active");
    EXPECT_TRUE(item.setProperty("appSource", QVariant::fromValue(std::optional<QString>("Mail"))));
    EXPECT_EQ(item.appSource(), "Mail");
    EXPECT_EQ(heard.last(), "appSource");
    EXPECT_EQ(changes, 5);
}

TEST_F(PersistentModels, EachTableHoldsExactlyTheRecordsProperties) {
    ASSERT_TRUE(ActivityStore::open(path));
    EXPECT_EQ(columnsOf(path, "ClipboardItem"),
              QStringList({"content TEXT NOT NULL", "timestamp REAL NOT NULL", "appSource TEXT",
                           "isPinned INTEGER NOT NULL"}));
    EXPECT_EQ(columnsOf(path, "DailyActivity"),
              QStringList({"date REAL NOT NULL", "mouseDistance REAL NOT NULL",
                           "keystrokes INTEGER NOT NULL", "activeTime REAL NOT NULL"}));
}

TEST_F(PersistentModels, RecordsSurviveReopeningTheStore) {
    auto copied = std::make_shared<ClipboardItem>("same text", QString("Terminal"));
    auto copiedAgain = std::make_shared<ClipboardItem>("same text", std::nullopt);
    auto day = std::make_shared<DailyActivity>(utc("2024-03-05T17:42:13.250Z"));
    {
        const auto store = ActivityStore::open(path);
        ASSERT_TRUE(store);
        store->insert(copied);
        store->insert(copiedAgain);
        store->insert(day);
        copiedAgain->isPinned = true;
        day->keystrokes = 1234;
        day->mouseDistance = 56.75;
        ASSERT_TRUE(store->save());
    }
    ASSERT_TRUE(copied->persistentId() && copiedAgain->persistentId() && day->persistentId());
    EXPECT_NE(copied->persistentId(), copiedAgain->persistentId());

    const auto reopened = ActivityStore::open(path);
    ASSERT_TRUE(reopened);
    const auto items = reopened->fetch<ClipboardItem>();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->persistentId(), copied->persistentId());
    EXPECT_EQ(items[0]->content(), "same text");
    EXPECT_EQ(items[0]->timestamp(), copied->timestamp());
    EXPECT_EQ(items[0]->appSource(), "Terminal");
    EXPECT_FALSE(items[0]->isPinned());
    EXPECT_EQ(items[1]->appSource(), std::nullopt);
    EXPECT_TRUE(items[1]->isPinned());
    EXPECT_NE(items[0], items[1]); // equal contents, different records

    const auto days = reopened->fetch<DailyActivity>();
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0]->date(), day->date());
    EXPECT_EQ(days[0]->keystrokes(), 1234);
    EXPECT_EQ(days[0]->mouseDistance(), 56.75);
    EXPECT_EQ(days[0]->activeTime(), 0.0);
}

TEST_F(PersistentModels, ChangesReachTheFileOnlyWhenSaved) {
    {
        const auto store = ActivityStore::open(path);
        ASSERT_TRUE(store);
        store->insert(std::make_shared<ClipboardItem>("draft", std::nullopt));
        ASSERT_TRUE(store->save());
        const auto item = store->fetch<ClipboardItem>().at(0);
        item->content = "final";
        item->isPinned = true;
        ASSERT_TRUE(store->save());
        item->content = "never saved";
        store->insert(std::make_shared<ClipboardItem>("never inserted for good", std::nullopt));
    }
    const auto items = ActivityStore::open(path)->fetch<ClipboardItem>();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->content(), "final");
    EXPECT_TRUE(items[0]->isPinned());
}

TEST_F(PersistentModels, FetchingAgainGivesTheSameObjects) {
    const auto store = ActivityStore::open(path);
    ASSERT_TRUE(store);
    auto pending = std::make_shared<DailyActivity>();
    store->insert(pending);
    EXPECT_EQ(store->fetch<DailyActivity>(), std::vector({pending}));
    ASSERT_TRUE(store->save());
    const auto first = store->fetch<DailyActivity>();
    EXPECT_EQ(first, std::vector({pending}));
    EXPECT_TRUE(store->fetch<ClipboardItem>().empty());

    const auto other = ActivityStore::open(path);
    const auto elsewhere = other->fetch<DailyActivity>();
    ASSERT_EQ(elsewhere.size(), 1u);
    EXPECT_NE(elsewhere[0], pending);
    EXPECT_EQ(elsewhere[0]->persistentId(), pending->persistentId());
}

TEST_F(PersistentModels, RefusesFilesItCannotUse) {
    EXPECT_FALSE(ActivityStore::open(home.homeBytes() + "/missing folder/activity.sqlite"));
    EXPECT_FALSE(ActivityStore::open(QByteArray()));

    writeFile(path, "not a database");
    EXPECT_FALSE(ActivityStore::open(path));
    ASSERT_EQ(::unlink(path.constData()), 0);

    sqlite3* database = nullptr;
    sqlite3_open(path.constData(), &database);
    sqlite3_exec(database,
                 "CREATE TABLE ClipboardItem (content TEXT, source TEXT);"
                 "INSERT INTO ClipboardItem VALUES ('kept', 'x')",
                 nullptr, nullptr, nullptr);
    sqlite3_close(database);
    EXPECT_FALSE(ActivityStore::open(path));
    EXPECT_EQ(columnsOf(path, "ClipboardItem"), QStringList({"content TEXT", "source TEXT"}));
}
