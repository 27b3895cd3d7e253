#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <optional>

// Writes one compact JSON object (no spaces, no line breaks) with its keys in
// the order they are added, so a record's stored form follows its field order.
// Values that JSON cannot carry (a non-finite number, text that is not valid
// UTF-16) make the whole object fail.
class JsonObjectWriter {
public:
    JsonObjectWriter& addBool(QStringView key, bool value);
    JsonObjectWriter& addInteger(QStringView key, qint64 value);
    JsonObjectWriter& addNumber(QStringView key, double value);
    JsonObjectWriter& addString(QStringView key, const QString& value);
    JsonObjectWriter& addDate(QStringView key, const QDateTime& value);
    JsonObjectWriter& addStringMap(QStringView key, const QMap<QString, QString>& value);
    JsonObjectWriter& addIntegerMap(QStringView key, const QMap<QString, qint64>& value);

    // The finished object, or absent if any value could not be encoded.
    std::optional<QByteArray> finish();

private:
    void appendKey(QStringView key);
    void appendObject(const std::optional<QByteArray>& text);
    void appendString(QStringView text);
    void appendNumber(double value);

    QByteArray m_out = "{";
    bool m_first = true;
    bool m_failed = false;
};

// Strict readers of a decoded JSON object: each gives absent when the key is
// missing or its value is not of the expected JSON type, so a record decodes
// completely or not at all.
namespace JsonRead {
std::optional<QJsonObject> object(const QByteArray& json);
std::optional<bool> boolean(const QJsonObject& object, const QString& key);
std::optional<QString> string(const QJsonObject& object, const QString& key);
// Integral numbers only; 3.0 counts, 3.5 does not.
std::optional<qint64> integer(const QJsonObject& object, const QString& key);
std::optional<double> number(const QJsonObject& object, const QString& key);
std::optional<QMap<QString, QString>> stringMap(const QJsonObject& object, const QString& key);
std::optional<QMap<QString, qint64>> integerMap(const QJsonObject& object, const QString& key);
// A date that may be left out (or null): the outer optional is absent when the
// value is present but not a usable number.
std::optional<std::optional<QDateTime>> optionalDate(const QJsonObject& object, const QString& key);
} // namespace JsonRead
