#pragma once

#include "Platform/NamedColor.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

// The Desktop's load as one scan result describes it: the value types the
// engine publishes and the pure rules that derive its fraction, status and
// categories. Below both the engine and its scanner.
namespace LoadModel {

class LoadStatus {
public:
    enum Case { light, moderate, heavy, critical };

    constexpr LoadStatus(Case c = light) : m_case(c) {}
    static std::optional<LoadStatus> fromRawValue(const QString& raw);

    constexpr Case value() const { return m_case; }
    constexpr operator Case() const { return m_case; }
    QString rawValue() const;
    QString icon() const;
    NamedColor color() const;

private:
    Case m_case;
};

struct FileItem {
    FileItem(QByteArray url, QString name, qint64 size, bool isDirectory, QDateTime modified);

    QUuid id;
    QByteArray url; // the entry's exact path bytes
    QString name;   // display form of the last path component
    qint64 size = 0;
    bool isDirectory = false;
    QDateTime modified;

    QByteArray rawName() const; // the last path component, byte-exact
};

struct Category {
    Category(QString name, qint64 bytes, NamedColor color);

    QUuid id;
    QString name;
    qint64 bytes = 0;
    NamedColor color = NamedColor::gray;
};

// The six published values of one scan.
struct Snapshot {
    qint64 totalBytes = 0;
    qint64 fileCount = 0;
    double loadPercent = 0.0;
    QList<FileItem> topItems;
    QList<Category> categoryBreakdown;
    LoadStatus status = LoadStatus::light;
};

inline constexpr qint64 maxLoadBytes = 10LL * 1024 * 1024 * 1024;
inline constexpr int topItemLimit = 8;

// The total as a fraction of maxLoadBytes, at most 1.0.
double loadFraction(qint64 totalBytes);
LoadStatus statusFor(double loadPercent);
QString category(const QString& lowerExtension, bool isDir);
NamedColor catColor(const QString& categoryName);

} // namespace LoadModel
