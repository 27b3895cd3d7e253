#include "JsonCoding.h"

#include "ReferenceDate.h"

#include <QJsonDocument>
#include <charconv>
#include <cmath>

JsonObjectWriter& JsonObjectWriter::addBool(QStringView key, bool value) {
    appendKey(key);
    m_out += value ? "true" : "false";
    return *this;
}

JsonObjectWriter& JsonObjectWriter::addInteger(QStringView key, qint64 value) {
    appendKey(key);
    m_out += QByteArray::number(value);
    return *this;
}

JsonObjectWriter& JsonObjectWriter::addNumber(QStringView key, double value) {
    appendKey(key);
    appendNumber(value);
    return *this;
}

JsonObjectWriter& JsonObjectWriter::addString(QStringView key, const QString& value) {
    appendKey(key);
    appendString(value);
    return *this;
}

JsonObjectWriter& JsonObjectWriter::addDate(QStringView key, const QDateTime& value) {
    m_failed = m_failed || !value.isValid();
    return addNumber(key, secondsSinceReferenceDate(value));
}

namespace {
// The compact JSON object of a map, keys in the map's (sorted) order.
template <class Value, class Add>
std::optional<QByteArray> objectText(const QMap<QString, Value>& map, Add add) {
    JsonObjectWriter inner;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        add(inner, it.key(), it.value());
    return inner.finish();
}
} // namespace

JsonObjectWriter& JsonObjectWriter::addStringMap(QStringView key,
                                                 const QMap<QString, QString>& value) {
    appendKey(key);
    appendObject(objectText(value, [](JsonObjectWriter& inner, const QString& name,
                                      const QString& text) { inner.addString(name, text); }));
    return *this;
}

JsonObjectWriter& JsonObjectWriter::addIntegerMap(QStringView key,
                                                  const QMap<QString, qint64>& value) {
    appendKey(key);
    appendObject(objectText(value, [](JsonObjectWriter& inner, const QString& name, qint64 count) {
        inner.addInteger(name, count);
    }));
    return *this;
}

std::optional<QByteArray> JsonObjectWriter::finish() {
    if (m_failed)
        return std::nullopt;
    return m_out + '}';
}

void JsonObjectWriter::appendKey(QStringView key) {
    if (!m_first)
        m_out += ',';
    m_first = false;
    appendString(key);
    m_out += ':';
}

void JsonObjectWriter::appendObject(const std::optional<QByteArray>& text) {
    m_failed = m_failed || !text;
    m_out += text.value_or(QByteArray());
}

void JsonObjectWriter::appendString(QStringView text) {
    if (!text.isValidUtf16()) {
        m_failed = true;
        return;
    }
    m_out += '"';
    for (const char byte : text.toUtf8()) {
        switch (byte) {
        case '"':
            m_out += "\\\"";
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '\b':
            m_out += "\\b";
            break;
        case '\f':
            m_out += "\\f";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        case '\t':
            m_out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(byte) < 0x20)
                m_out +=
                    "\\u00" +
                    QByteArray::number(static_cast<unsigned char>(byte), 16).rightJustified(2, '0');
            else
                m_out += byte;
        }
    }
    m_out += '"';
}

// Plain decimals in the range where they read naturally (as JavaScript prints
// numbers), exponent notation beyond it; always the shortest text that reads
// back as the same double.
void JsonObjectWriter::appendNumber(double value) {
    if (!std::isfinite(value)) {
        m_failed = true;
        return;
    }
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-6 && magnitude < 1e21);
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    m_out.append(buffer, result.ptr - buffer);
}

namespace JsonRead {

std::optional<QJsonObject> object(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

static std::optional<bool> boolValue(const QJsonValue& value) {
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

static std::optional<QString> stringValue(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

static std::optional<qint64> integerValue(const QJsonValue& value) {
    // toInteger() falls back to its argument unless the number is integral and
    // fits: two different fallbacks tell the cases apart.
    if (!value.isDouble() || value.toInteger(0) != value.toInteger(1))
        return std::nullopt;
    return value.toInteger();
}

std::optional<bool> boolean(const QJsonObject& object, const QString& key) {
    return boolValue(object.value(key));
}

std::optional<QString> string(const QJsonObject& object, const QString& key) {
    return stringValue(object.value(key));
}

std::optional<qint64> integer(const QJsonObject& object, const QString& key) {
    return integerValue(object.value(key));
}

std::optional<double> number(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

template <class Value, class ReadValue>
static std::optional<QMap<QString, Value>> mapOf(const QJsonObject& object, const QString& key,
                                                 ReadValue read) {
    const QJsonValue value = object.value(key);
    if (!value.isObject())
        return std::nullopt;
    QMap<QString, Value> map;
    const QJsonObject entries = value.toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const std::optional<Value> entry = read(it.value());
        if (!entry)
            return std::nullopt;
        map.insert(it.key(), *entry);
    }
    return map;
}

std::optional<QMap<QString, QString>> stringMap(const QJsonObject& object, const QString& key) {
    return mapOf<QString>(object, key, stringValue);
}

std::optional<QMap<QString, qint64>> integerMap(const QJsonObject& object, const QString& key) {
    return mapOf<qint64>(object, key, integerValue);
}

std::optional<std::optional<QDateTime>> optionalDate(const QJsonObject& object,
                                                     const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::optional<QDateTime>();
    if (!value.isDouble())
        return std::nullopt;
    const std::optional<QDateTime> date = dateFromReferenceSeconds(value.toDouble());
    if (!date)
        return std::nullopt;
    return date;
}

} // namespace JsonRead
