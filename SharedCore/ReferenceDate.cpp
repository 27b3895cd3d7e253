#include "ReferenceDate.h"

#include <cmath>

namespace {
// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch.
constexpr qint64 referenceMSecs = 978307200000;
// Keeps the conversion to an integer count of milliseconds well defined.
constexpr double msecsLimit = 9.0e18;
} // namespace

double secondsSinceReferenceDate(const QDateTime& date) {
    return double(date.toMSecsSinceEpoch() - referenceMSecs) / 1000.0;
}

std::optional<QDateTime> dateFromReferenceSeconds(double seconds) {
    const double msecs = std::round(seconds * 1000.0);
    if (!std::isfinite(msecs) || std::fabs(msecs) > msecsLimit)
        return std::nullopt;
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(qint64(msecs) + referenceMSecs, Qt::UTC);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
