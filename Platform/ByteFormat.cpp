#include "ByteFormat.h"

#include <QCoreApplication>
#include <array>
#include <cmath>

namespace {

struct Unit {
    const char* name;
    int decimals;
};

constexpr std::array<Unit, 6> units{{
    {"KB", 0},
    {"MB", 1},
    {"GB", 2},
    {"TB", 2},
    {"PB", 2},
    {"EB", 2},
}};

QString number(double value, int decimals, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = plain.toString(value, 'f', decimals);
    if (decimals > 0) {
        const QString point = plain.decimalPoint();
        while (text.endsWith(plain.zeroDigit()))
            text.chop(plain.zeroDigit().size());
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

QString magnitude(quint64 bytes, const QLocale& locale) {
    if (bytes == 0)
        return QCoreApplication::translate("ByteFormat", "Zero KB");
    if (bytes < 1000)
        return bytes == 1 ? QCoreApplication::translate("ByteFormat", "1 byte")
                          : QCoreApplication::translate("ByteFormat", "%1 bytes").arg(bytes);
    double scaled = double(bytes);
    for (std::size_t i = 0; i < units.size(); ++i) {
        scaled /= 1000.0;
        const double factor = std::pow(10.0, units[i].decimals);
        const double rounded = std::round(scaled * factor) / factor;
        // 999,999 bytes is "1 MB", not "1000 KB": move up when rounding reaches 1000.
        if (rounded < 1000.0 || i + 1 == units.size())
            return number(rounded, units[i].decimals, locale) + ' ' + units[i].name;
    }
    Q_UNREACHABLE();
}

} // namespace

QString formatBytes(qint64 bytes, const QLocale& locale) {
    const quint64 abs = bytes < 0 ? quint64(0) - quint64(bytes) : quint64(bytes);
    const QString text = magnitude(abs, locale);
    return bytes < 0 ? locale.negativeSign() + text : text;
}
