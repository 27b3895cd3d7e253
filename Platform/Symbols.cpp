#include "Symbols.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>

namespace Symbols {

namespace {

const QHash<QString, char16_t>& glyphTable() {
    static const QHash<QString, char16_t> table{
        {QStringLiteral("gauge.with.dots.needle.67percent"), 0xe9e4}, // speed
        {QStringLiteral("doc.on.doc"), 0xe14d},                       // content_copy
        {QStringLiteral("trash"), 0xe872},                            // delete
        {QStringLiteral("folder.badge.plus"), 0xe2cc},                // create_new_folder
        {QStringLiteral("arrow.clockwise"), 0xe5d5},                  // refresh
        {QStringLiteral("info.circle.fill"), 0xe88e},                 // info
        {QStringLiteral("leaf"), 0xea35},                             // eco
        {QStringLiteral("doc.text"), 0xe873},                         // description
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002},    // warning
        {QStringLiteral("folder.fill"), 0xe2c7},                      // folder
        {QStringLiteral("doc.fill"), 0xe24d},                         // insert_drive_file
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},            // check_circle
        {QStringLiteral("lightbulb"), 0xe90f},                        // lightbulb_outline
        {QStringLiteral("1.circle.fill"), 0xe400},                    // looks_one
        {QStringLiteral("2.circle.fill"), 0xe401},                    // looks_two
        {QStringLiteral("3.circle.fill"), 0xe3fb},                    // looks_3
        {QStringLiteral("4.circle.fill"), 0xe3fd},                    // looks_4
        {QStringLiteral("heart.fill"), 0xe87d},                       // favorite
        // the shared UI kit's status badges and buttons
        {QStringLiteral("circle"), 0xe836},                      // radio_button_unchecked
        {QStringLiteral("xmark.circle.fill"), 0xe5c9},           // cancel
        {QStringLiteral("arrow.triangle.2.circlepath"), 0xe627}, // sync
        {QStringLiteral("play.fill"), 0xe037},                   // play_arrow
        {QStringLiteral("chevron.right"), 0xe5cc},               // chevron_right
        {QStringLiteral("slider.horizontal.3"), 0xe429},         // tune
        {QStringLiteral("gearshape"), 0xe8b8},                   // settings
        {QStringLiteral("bell.fill"), 0xe7f4},                   // notifications
        {QStringLiteral("keyboard"), 0xe312},                    // keyboard
        {QStringLiteral("speaker.wave.2.fill"), 0xe050},         // volume_up
        {QStringLiteral("power"), 0xe8ac},                       // power_settings_new
        {QStringLiteral("chart.bar.fill"), 0xe26b},              // bar_chart
        {QStringLiteral("clock"), 0xe8b5},                       // schedule
        {QStringLiteral("bolt.fill"), 0xe3e7},                   // flash_on
        {QStringLiteral("moon.fill"), 0xe3a8},                   // brightness_3
        {QStringLiteral("timer"), 0xe425},                       // timer
        {QStringLiteral("cpu"), 0xe322},                         // memory
        {QStringLiteral("eye"), 0xe8f4},                         // visibility
    };
    return table;
}

QString loadFamily() {
    const int id =
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QStringLiteral("Material Icons") : families.first();
}

const QString& family() {
    static const QString name = loadFamily();
    return name;
}

} // namespace

QString glyph(const QString& name) {
    const auto it = glyphTable().constFind(name);
    return it == glyphTable().cend() ? QString() : QString(QChar(*it));
}

QFont font(qreal points, QFont::Weight weight) {
    QFont f(family());
    f.setPixelSize(qRound(points));
    f.setWeight(weight);
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

void draw(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color,
          qreal points, QFont::Weight weight) {
    const QString text = glyph(name);
    if (text.isEmpty())
        return;
    painter.save();
    painter.setFont(font(points, weight));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

QPixmap pixmap(const QString& name, const QColor& color, int logicalSize, qreal dpr) {
    QPixmap pm(QSize(logicalSize, logicalSize) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter, QRectF(0, 0, logicalSize, logicalSize), name, color, logicalSize);
    return pm;
}

QIcon icon(const QString& name, const QColor& color) {
    QIcon result;
    for (const int size : {16, 22, 24, 32, 48, 64})
        result.addPixmap(pixmap(name, color, size, 1.0));
    return result;
}

} // namespace Symbols
