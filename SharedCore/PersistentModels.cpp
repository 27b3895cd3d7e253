#include "PersistentModels.h"

namespace {
QVariant optionalText(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant();
}
} // namespace

ClipboardItem::ClipboardItem(QString content, std::optional<QString> appSource)
    : m_content(std::move(content)), m_timestamp(QDateTime::currentDateTimeUtc()),
      m_appSource(std::move(appSource)) {}

const RecordSchema& ClipboardItem::schema() {
    static const RecordSchema schema{"ClipboardItem",
                                     {{"content", ColumnType::text},
                                      {"timestamp", ColumnType::timestamp},
                                      {"appSource", ColumnType::optionalText},
                                      {"isPinned", ColumnType::boolean}}};
    return schema;
}

std::shared_ptr<ClipboardItem> ClipboardItem::fromStoredValues(const QVariantList& values) {
    const QVariant& appSource = values.at(2);
    auto item = std::make_shared<ClipboardItem>(
        values.at(0).toString(),
        appSource.isNull() ? std::nullopt : std::optional(appSource.toString()));
    item->m_timestamp = values.at(1).toDateTime();
    item->m_isPinned = values.at(3).toBool();
    return item;
}

void ClipboardItem::setContent(QString content) {
    update(m_content, std::move(content), &ClipboardItem::contentChanged);
}

void ClipboardItem::setTimestamp(QDateTime timestamp) {
    update(m_timestamp, std::move(timestamp), &ClipboardItem::timestampChanged);
}

void ClipboardItem::setAppSource(std::optional<QString> appSource) {
    update(m_appSource, std::move(appSource), &ClipboardItem::appSourceChanged);
}

void ClipboardItem::setIsPinned(bool isPinned) {
    update(m_isPinned, isPinned, &ClipboardItem::isPinnedChanged);
}

QVariantList ClipboardItem::storedValues() const {
    return {m_content, m_timestamp, optionalText(m_appSource), m_isPinned};
}

DailyActivity::DailyActivity(QDateTime date) : m_date(std::move(date)) {}

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
    activity->m_mouseDistance = values.at(1).toDouble();
    activity->m_keystrokes = values.at(2).toLongLong();
    activity->m_activeTime = values.at(3).toDouble();
    return activity;
}

void DailyActivity::setDate(QDateTime date) {
    update(m_date, std::move(date), &DailyActivity::dateChanged);
}

void DailyActivity::setMouseDistance(double mouseDistance) {
    update(m_mouseDistance, mouseDistance, &DailyActivity::mouseDistanceChanged);
}

void DailyActivity::setKeystrokes(qint64 keystrokes) {
    update(m_keystrokes, keystrokes, &DailyActivity::keystrokesChanged);
}

void DailyActivity::setActiveTime(double activeTime) {
    update(m_activeTime, activeTime, &DailyActivity::activeTimeChanged);
}

QVariantList DailyActivity::storedValues() const {
    return {m_date, m_mouseDistance, m_keystrokes, m_activeTime};
}
