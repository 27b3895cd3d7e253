#include "TextStyles.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace TextStyles {

namespace {

// The size behind a text style, in points.
qreal pointSize(TextStyle style) {
    switch (style) {
    case TextStyle::title2:
        return 17;
    case TextStyle::title3:
        return 15;
    case TextStyle::headline:
    case TextStyle::body:
        return 13;
    case TextStyle::subheadline:
        return 11;
    case TextStyle::caption:
        return 10;
    case TextStyle::caption2:
        return 9;
    }
    return 13;
}

} // namespace

QFont font(qreal points, QFont::Weight weight, FontDesign design) {
    // No rounded face ships with a bare Debian desktop: rounded titles use the
    // application font, so they stay consistent with the rest of the interface.
    QFont f = design == FontDesign::monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                               : QGuiApplication::font();
    f.setPixelSize(qRound(points));
    f.setWeight(weight);
    return f;
}

QFont font(TextStyle style, bool bold, FontDesign design) {
    const QFont::Weight weight =
        bold ? QFont::Bold : (style == TextStyle::headline ? QFont::DemiBold : QFont::Normal);
    return font(pointSize(style), weight, design);
}

QFont tracked(QFont f, qreal points) {
    f.setLetterSpacing(QFont::AbsoluteSpacing, points);
    return f;
}

QString oneLine(QString text) {
    for (QChar& c : text)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            c = u' ';
    return text;
}

} // namespace TextStyles
