#pragma once

#include <QLocale>
#include <QString>

// The one byte-count text every view shows: decimal multiples (1 KB = 1000
// bytes), one unit, "Zero KB" for nothing, whole kilobytes, megabytes with up to
// one decimal, gigabytes and above with up to two, trailing zeros dropped, the
// locale's decimal separator.
QString formatBytes(qint64 bytes, const QLocale& locale = QLocale());
