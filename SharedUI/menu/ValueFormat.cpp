#include "ValueFormat.h"

#include <QByteArray>
#include <cstdio>

namespace ValueFormat {

namespace {

constexpr int maxDigits = 2;

// Skips up to maxDigits digits; false when there are more.
bool skipDigits(const QByteArray& text, qsizetype& at) {
    int digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        ++at;
        ++digits;
    }
    return digits <= maxDigits;
}

// Reads one conversion after its '%'; true when it takes a double.
bool readDoubleConversion(const QByteArray& text, qsizetype& at) {
    while (at < text.size() && QByteArray("-+ #0").contains(text[at]))
        ++at;
    if (!skipDigits(text, at))
        return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (!skipDigits(text, at))
            return false;
    }
    if (at < text.size() && text[at] == 'l')
        ++at;
    return at < text.size() && QByteArray("fFeEgG").contains(text[at++]);
}

} // namespace

bool takesOneDouble(const QString& format) {
    const QByteArray text = format.toUtf8();
    int conversions = 0;
    for (qsizetype at = 0; at < text.size();) {
        if (text[at++] != '%')
            continue;
        if (at < text.size() && text[at] == '%') {
            ++at;
            continue;
        }
        if (!readDoubleConversion(text, at))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

QString format(const QString& format, double value) {
    const QByteArray spec = (takesOneDouble(format) ? format : fallback).toUtf8();
    const int length = std::snprintf(nullptr, 0, spec.constData(), value);
    if (length < 0)
        return {};
    QByteArray out(length + 1, '\0');
    std::snprintf(out.data(), size_t(out.size()), spec.constData(), value);
    out.chop(1);
    return QString::fromUtf8(out);
}

} // namespace ValueFormat
