#pragma once

#include <QString>

// Printf-style formatting of one floating-point value, safe for any format
// text a caller passes.
namespace ValueFormat {

// The format every row falls back to: the value rounded to a whole number.
inline const QString fallback = QStringLiteral("%.0f");

// Whether format takes exactly one double and nothing else: one conversion
// among f, F, e, E, g, G with optional flags (-+ #0), a width and a precision
// of at most two digits each and an optional 'l', plus any number of "%%".
// Anything else ("%d", "%s", "%n", '*', two conversions, none, a lone '%')
// would read arguments that are not there or print nothing useful.
bool takesOneDouble(const QString& format);

// value formatted by the C library's printf rules (so "%.0f" shows 42.7 as
// 43, with the user's decimal separator); an unusable format is replaced by
// the fallback.
QString format(const QString& format, double value);

} // namespace ValueFormat
