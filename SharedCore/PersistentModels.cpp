#include "PersistentModels.h"

namespace {
QVariant optionalText(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant();
}
} // namespace

ClipboardItem::ClipboardItem(QString text, std::optional<QString> source)
    : content(this, &ClipboardItem::contentChanged, std::move(text)),
      timestamp(this, &ClipboardItem::timestampChanged, QDateTime::currentDateTimeUtc()),
      appSource(this, &ClipboardItem::appSourceChanged, std::move(source)) {}

const RecordSchema& ClipboardItem::schema() {
    static const RecordSchema schema{"ClipboardItem",
                                     {{"content", ColumnType::text},
                                      {"timestamp", ColumnType::timestamp},
                                      {"appSource", ColumnType::optionalText},
                                      {"isPinned", ColumnType::boolean}}};
    return schema;
}

std::shared_ptr<ClipboardItem> ClipboardItem::fromStoredValues(const QVariantList& values) {
    const QVariant& source = values.at(2);
    auto item = std::make_shared<ClipboardItem>(
        values.at(0).toString(), source.isNull() ? std::nullopt : std::optional(source.toString()));
    item->timestamp = values.at(1).toDateTime();
    item->isPinned = values.at(3).toBool();
    return item;
}

QVariantList ClipboardItem::storedValues() const {
    return {content(), timestamp(), optionalText(appSource), isPinned()};
}

DailyActivity::DailyActivity(QDateTime day)
    : date(this, &DailyActivity::dateChanged, std::move(day)) {}

const RecordSchema& DailyActivity::schema() {
    static const RecordSchema schema{"DailyActivity",
                                     {{"date", ColumnType::timestamp},
                                      {"mouseDistance", ColumnType::real},
                                      {"keystrokes", ColumnType::integer},
                                      {"activeTime", ColumnType::real}}};
    return schema;
}

std::shared_ptr<DailyActivity> DailyActivity::fromStoredValues(const QVariantList& values) {
    auto activity = std::make_shared<DailyActivity>(values.at(0).toDateTime());
    activity->mouseDistance = values.at(1).toDouble();
    activity->keystrokes = values.at(2).toLongLong();
    activity->activeTime = values.at(3).toDouble();
    return activity;
}

QVariantList DailyActivity::storedValues() const {
    return {date(), mouseDistance(), keystrokes(), activeTime()};
}
