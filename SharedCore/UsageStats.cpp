#include "UsageStats.h"

#include "JsonCoding.h"

#include <limits>

namespace {
const QString launchCountKey = QStringLiteral("launchCount");
const QString firstLaunchDateKey = QStringLiteral("firstLaunchDate");
const QString lastLaunchDateKey = QStringLiteral("lastLaunchDate");
const QString totalUsageTimeKey = QStringLiteral("totalUsageTime");
const QString featureUsageKey = QStringLiteral("featureUsage");

// Counts stop at the largest value instead of overflowing.
void increment(qint64& count) {
    if (count < std::numeric_limits<qint64>::max())
        ++count;
}
} // namespace

UsageStats::UsageStats(qint64 launches, std::optional<QDateTime> firstLaunch,
                       std::optional<QDateTime> lastLaunch, double usageTime,
                       QMap<QString, qint64> features)
    : launchCount(launches), firstLaunchDate(std::move(firstLaunch)),
      lastLaunchDate(std::move(lastLaunch)), totalUsageTime(usageTime),
      featureUsage(std::move(features)) {}

void UsageStats::recordLaunch() {
    increment(launchCount);
    lastLaunchDate = QDateTime::currentDateTimeUtc();
    if (!firstLaunchDate)
        firstLaunchDate = QDateTime::currentDateTimeUtc();
}

void UsageStats::recordFeature(const QString& feature) {
    increment(featureUsage[feature]);
}

std::optional<QByteArray> UsageStats::toJson() const {
    JsonObjectWriter writer;
    writer.addInteger(launchCountKey, launchCount);
    if (firstLaunchDate)
        writer.addDate(firstLaunchDateKey, *firstLaunchDate);
    if (lastLaunchDate)
        writer.addDate(lastLaunchDateKey, *lastLaunchDate);
    return writer.addNumber(totalUsageTimeKey, totalUsageTime)
        .addIntegerMap(featureUsageKey, featureUsage)
        .finish();
}

std::optional<UsageStats> UsageStats::fromJson(const QByteArray& json) {
    const std::optional<QJsonObject> object = JsonRead::object(json);
    if (!object)
        return std::nullopt;
    const auto launchCount = JsonRead::integer(*object, launchCountKey);
    const auto firstLaunchDate = JsonRead::optionalDate(*object, firstLaunchDateKey);
    const auto lastLaunchDate = JsonRead::optionalDate(*object, lastLaunchDateKey);
    const auto totalUsageTime = JsonRead::number(*object, totalUsageTimeKey);
    const auto featureUsage = JsonRead::integerMap(*object, featureUsageKey);
    if (!launchCount || !firstLaunchDate || !lastLaunchDate || !totalUsageTime || !featureUsage)
        return std::nullopt;
    return UsageStats(*launchCount, *firstLaunchDate, *lastLaunchDate, *totalUsageTime,
                      *featureUsage);
}
