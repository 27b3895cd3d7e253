#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <optional>

// The family's launch and feature counters. Not a settings record: the caller
// chooses the key (StorageManager::set/get) and when to store it, and sets
// totalUsageTime itself.
struct UsageStats {
    UsageStats() = default;
    UsageStats(qint64 launchCount, std::optional<QDateTime> firstLaunchDate,
               std::optional<QDateTime> lastLaunchDate, double totalUsageTime,
               QMap<QString, qint64> featureUsage);

    qint64 launchCount = 0;
    std::optional<QDateTime> firstLaunchDate;
    std::optional<QDateTime> lastLaunchDate;
    double totalUsageTime = 0;
    QMap<QString, qint64> featureUsage;

    // One more launch: the count goes up, the last launch becomes now, and the
    // first launch is set if it never was.
    void recordLaunch();
    // One more use of the named feature.
    void recordFeature(const QString& feature);

    // Dates are written only when present; a non-finite totalUsageTime cannot
    // be encoded.
    std::optional<QByteArray> toJson() const;
    // "launchCount", "totalUsageTime" and "featureUsage" are required; the
    // dates may be missing.
    static std::optional<UsageStats> fromJson(const QByteArray& json);

    friend bool operator==(const UsageStats&, const UsageStats&) = default;
};
