#pragma once

#include <QDateTime>
#include <optional>

// Points in time as the family stores them: seconds since 2001-01-01 00:00:00
// UTC, as a floating-point number. Dates carry millisecond precision.
double secondsSinceReferenceDate(const QDateTime& date);
// Absent when the number is not finite or lies outside what a date can hold.
std::optional<QDateTime> dateFromReferenceSeconds(double seconds);
