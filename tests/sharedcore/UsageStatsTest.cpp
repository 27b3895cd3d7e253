#include "SharedCore/UsageStats.h"

#include "SharedCore/StorageManager.h"
#include "TestEnvironment.h"

#include <QTimeZone>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// 2001-01-01 00:00:00 UTC plus the given milliseconds.
QDateTime referencePlus(qint64 msecs) {
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addMSecs(msecs);
}

} // namespace

TEST(UsageStats, RecordLaunchCountsAndDatesTheLaunches) {
    UsageStats stats;
    const QDateTime before = QDateTime::currentDateTimeUtc();
    stats.recordLaunch();
    const QDateTime after = QDateTime::currentDateTimeUtc();
    EXPECT_EQ(stats.launchCount, 1);
    ASSERT_TRUE(stats.firstLaunchDate && stats.lastLaunchDate);
    EXPECT_GE(*stats.firstLaunchDate, before);
    EXPECT_LE(*stats.firstLaunchDate, after);
    EXPECT_GE(*stats.lastLaunchDate, before);
    EXPECT_LE(*stats.lastLaunchDate, *stats.firstLaunchDate);

    const QDateTime first = *stats.firstLaunchDate;
    stats.lastLaunchDate = referencePlus(0);
    stats.recordLaunch();
    EXPECT_EQ(stats.launchCount, 2);
    EXPECT_EQ(stats.firstLaunchDate, first);
    EXPECT_GE(*stats.lastLaunchDate, after);
}

TEST(UsageStats, RecordFeatureCountsPerName) {
    UsageStats stats;
    stats.recordFeature("export");
    EXPECT_EQ(stats.featureUsage, (QMap<QString, qint64>{{"export", 1}}));
    stats.recordFeature("export");
    stats.recordFeature("scan");
    EXPECT_EQ(stats.featureUsage, (QMap<QString, qint64>{{"export", 2}, {"scan", 1}}));
    EXPECT_EQ(stats.launchCount, 0);
}

TEST(UsageStats, CountsStopAtTheLargestValue) {
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    UsageStats stats(most, std::nullopt, std::nullopt, 0, {{"scan", most}});
    stats.recordLaunch();
    stats.recordFeature("scan");
    EXPECT_EQ(stats.launchCount, most);
    EXPECT_EQ(stats.featureUsage["scan"], most);
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

TEST(UsageStats, DecodesWithDatesAbsentOrPresent) {
    const auto withoutDates =
        UsageStats::fromJson(R"({"launchCount":4,"totalUsageTime":60,"featureUsage":{"a":1}})");
    ASSERT_TRUE(withoutDates);
    EXPECT_EQ(*withoutDates, UsageStats(4, std::nullopt, std::nullopt, 60, {{"a", 1}}));

    const auto withNull = UsageStats::fromJson(
        R"({"launchCount":4,"firstLaunchDate":null,"totalUsageTime":60,"featureUsage":{}})");
    ASSERT_TRUE(withNull);
    EXPECT_FALSE(withNull->firstLaunchDate);

    const auto withDates = UsageStats::fromJson(
        R"({"launchCount":2.0,"firstLaunchDate":0.001,"lastLaunchDate":-1,"totalUsageTime":0,)"
        R"("featureUsage":{},"sessions":[1,2]})");
    ASSERT_TRUE(withDates);
    EXPECT_EQ(*withDates, UsageStats(2, referencePlus(1), referencePlus(-1000), 0, {}));
}

TEST(UsageStats, RejectsMissingOrMistypedValues) {
    for (
        const char* json : {
            R"({"totalUsageTime":0,"featureUsage":{}})",
            R"({"launchCount":1,"featureUsage":{}})",
            R"({"launchCount":1,"totalUsageTime":0})",
            R"({"launchCount":1.5,"totalUsageTime":0,"featureUsage":{}})",
            R"({"launchCount":"1","totalUsageTime":0,"featureUsage":{}})",
            R"({"launchCount":9223372036854775808,"totalUsageTime":0,"featureUsage":{}})",
            R"({"launchCount":1,"totalUsageTime":"0","featureUsage":{}})",
            R"({"launchCount":1,"totalUsageTime":0,"featureUsage":{"a":"1"}})",
            R"({"launchCount":1,"totalUsageTime":0,"featureUsage":{"a":0.5}})",
            R"({"launchCount":1,"totalUsageTime":0,"featureUsage":[]})",
            R"({"launchCount":1,"firstLaunchDate":"2024-01-01","totalUsageTime":0,"featureUsage":{}})",
            R"({"launchCount":1,"lastLaunchDate":1e300,"totalUsageTime":0,"featureUsage":{}})",
        })
        EXPECT_FALSE(UsageStats::fromJson(json)) << json;
}

TEST(UsageStats, RoundTripsThroughTheStoreUnderTheCallersKey) {
    ScopedHome home;
    UsageStats stats;
    stats.recordLaunch();
    stats.recordFeature("scan");
    stats.totalUsageTime = 93.75;
    StorageManager::shared().set(stats, "usage");
    EXPECT_EQ(StorageManager::shared().get<UsageStats>("usage"), stats);
}

TEST(UsageStats, ANonFiniteUsageTimeIsNotStored) {
    ScopedHome home;
    const UsageStats stored(1, std::nullopt, std::nullopt, 5, {});
    StorageManager::shared().set(stored, "usage");
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        UsageStats broken = stored;
        broken.totalUsageTime = bad;
        EXPECT_FALSE(broken.toJson());
        StorageManager::shared().set(broken, "usage");
        EXPECT_EQ(StorageManager::shared().get<UsageStats>("usage"), stored);
    }
}
