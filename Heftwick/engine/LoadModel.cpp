#include "LoadModel.h"

#include "Classification.h"
#include "PosixFs.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace LoadModel {
namespace {

struct StatusRow {
    const char16_t* rawValue;
    const char16_t* icon;
    NamedColor color;
};

// One row per LoadStatus case, in the order of the cases.
constexpr StatusRow statusRows[] = {
    {u"Light", u"leaf", NamedColor::green},
    {u"Moderate", u"doc.text", NamedColor::yellow},
    {u"Heavy", u"folder.badge.plus", NamedColor::orange},
    {u"Critical", u"exclamationmark.triangle.fill", NamedColor::red},
};
static_assert(std::size(statusRows) == LoadStatus::critical + 1);

} // namespace

std::optional<LoadStatus> LoadStatus::fromRawValue(const QString& raw) {
    for (const Case c : {light, moderate, heavy, critical})
        if (LoadStatus(c).rawValue() == raw)
            return LoadStatus(c);
    return std::nullopt;
}

QString LoadStatus::rawValue() const {
    return QString::fromUtf16(statusRows[m_case].rawValue);
}

QString LoadStatus::icon() const {
    return QString::fromUtf16(statusRows[m_case].icon);
}

NamedColor LoadStatus::color() const {
    return statusRows[m_case].color;
}

FileItem::FileItem(QByteArray url_, QString name_, qint64 size_, bool isDirectory_,
                   QDateTime modified_)
    : id(QUuid::createUuid()), url(std::move(url_)), name(std::move(name_)), size(size_),
      isDirectory(isDirectory_), modified(std::move(modified_)) {}

QByteArray FileItem::rawName() const {
    return PosixFs::lastComponent(url);
}

Category::Category(QString name_, qint64 bytes_, NamedColor color_)
    : id(QUuid::createUuid()), name(std::move(name_)), bytes(bytes_), color(color_) {}

double loadFraction(qint64 totalBytes) {
    return std::min(double(totalBytes) / double(maxLoadBytes), 1.0);
}

LoadStatus statusFor(double loadPercent) {
    if (loadPercent < 0.1)
        return LoadStatus::light;
    if (loadPercent < 0.4)
        return LoadStatus::moderate;
    if (loadPercent < 0.7)
        return LoadStatus::heavy;
    return LoadStatus::critical;
}

QString category(const QString& lowerExtension, bool isDir) {
    const QByteArray ext = lowerExtension.toUtf8();
    return Classification::name(Classification::indexForLowerExtension(
        std::string_view(ext.constData(), std::size_t(ext.size())), isDir));
}

NamedColor catColor(const QString& categoryName) {
    return Classification::color(Classification::indexOfName(categoryName));
}

} // namespace LoadModel
