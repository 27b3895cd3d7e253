#include "SysfsSensors.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace SysfsSensors {

namespace {

// Sysfs attributes are at most one page long.
constexpr qint64 attributeLimit = 4096;
// IIO reports acceleration in m/s²; the readers speak in units of standard gravity.
constexpr double standardGravity = 9.80665;

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.read(attributeLimit);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return text.trimmed();
}

std::optional<qint64> parseInteger(const QByteArray& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

// Arithmetic on two finite numbers may still overflow to ±infinity, or give
// NaN (infinity times 0): such a result is no reading.
std::optional<double> finite(double value) {
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<double> readNumber(const QString& path) {
    const auto text = readFile(path);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok);
    return ok ? finite(value) : std::nullopt;
}

// applesmc's tuples, such as "(12,-3,250)": exactly count integers.
std::optional<QList<qint64>> readTuple(const QString& path, qsizetype count) {
    const auto text = readFile(path);
    if (!text || !text->startsWith('(') || !text->endsWith(')'))
        return std::nullopt;
    const QList<QByteArray> parts = text->mid(1, text->size() - 2).split(',');
    if (parts.size() != count)
        return std::nullopt;
    QList<qint64> values;
    for (const QByteArray& part : parts) {
        const auto value = parseInteger(part);
        if (!value)
            return std::nullopt;
        values << *value;
    }
    return values;
}

// An IIO channel: its raw value file, and the scale that is the channel's own
// or shared by its type. The offset may be absent.
std::optional<IioChannel> findIioChannel(const QString& directory, const QString& channel,
                                         const QString& type) {
    const QString prefix = directory + QLatin1Char('/');
    const QString rawPath = prefix + channel + QLatin1String("_raw");
    auto scale = readNumber(prefix + channel + QLatin1String("_scale"));
    if (!scale)
        scale = readNumber(prefix + type + QLatin1String("_scale"));
    const QString offsetPath = prefix + type + QLatin1String("_offset");
    const auto offset = readNumber(offsetPath);
    if (!scale || (!offset && QFile::exists(offsetPath)))
        return std::nullopt;
    return IioChannel{rawPath, *scale, offset.value_or(0.0)};
}

std::optional<double> readIioChannel(const IioChannel& channel) {
    const auto raw = readNumber(channel.rawPath);
    return raw ? finite((*raw + channel.offset) * channel.scale) : std::nullopt;
}

std::optional<double> readIioChannel(const QString& directory, const QString& channel,
                                     const QString& type) {
    const auto found = findIioChannel(directory, channel, type);
    return found ? readIioChannel(*found) : std::nullopt;
}

// The folders in root/parent whose names start with prefix, ordered by the
// number that follows (iio:device2 before iio:device10).
QStringList devices(const QString& parent, const QString& prefix) {
    QStringList names =
        QDir(root() + parent)
            .entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    const auto number = [&](const QString& name) { return name.mid(prefix.size()).toLongLong(); };
    std::ranges::stable_sort(names, {}, number);
    QStringList paths;
    for (const QString& name : names)
        paths << root() + parent + QLatin1Char('/') + name;
    return paths;
}

QStringList smcDevices() {
    return devices(QStringLiteral("/bus/platform/devices"), QStringLiteral("applesmc"));
}

QStringList iioDevices() {
    return devices(QStringLiteral("/bus/iio/devices"), QStringLiteral("iio:device"));
}

// Lux as a light count: negative, too large for the count or not a number is
// not a reading.
std::optional<quint64> luxCount(std::optional<double> lux) {
    constexpr double limit = 18446744073709551616.0; // 2^64
    if (!lux || !(*lux >= 0 && *lux < limit))
        return std::nullopt;
    return static_cast<quint64>(*lux);
}

std::optional<quint64> readIioLux(const LightSource& source) {
    if (source.kind == LightSource::Kind::iioLux)
        return luxCount(readNumber(source.directory + QLatin1String("/in_illuminance_input")));
    return luxCount(readIioChannel(source.directory, QStringLiteral("in_illuminance"),
                                   QStringLiteral("in_illuminance")));
}

} // namespace

QString root() {
    const QString moved = qEnvironmentVariable("SHAREDCORE_SYSFS_ROOT");
    return moved.isEmpty() ? QStringLiteral("/sys") : moved;
}

std::optional<LightSource> findLight() {
    QList<LightSource> candidates;
    for (const QString& directory : smcDevices())
        candidates << LightSource{LightSource::Kind::appleSmc, directory};
    for (const QString& directory : iioDevices()) {
        candidates << LightSource{LightSource::Kind::iioLux, directory}
                   << LightSource{LightSource::Kind::iioRaw, directory};
    }
    const auto it = std::ranges::find_if(
        candidates, [](const LightSource& source) { return bool(readLightOutputs(source)); });
    return it == candidates.cend() ? std::nullopt : std::optional(*it);
}

std::optional<std::array<quint64, 2>> readLightOutputs(const LightSource& source) {
    if (source.kind != LightSource::Kind::appleSmc) {
        const auto lux = readIioLux(source);
        return lux ? std::optional(std::array{*lux, *lux}) : std::nullopt;
    }
    const auto values = readTuple(source.directory + QLatin1String("/light"), 2);
    if (!values || (*values)[0] < 0 || (*values)[1] < 0)
        return std::nullopt;
    return std::array{static_cast<quint64>((*values)[0]), static_cast<quint64>((*values)[1])};
}

std::optional<QString> findSmcMotion() {
    const QStringList directories = smcDevices();
    const auto it = std::ranges::find_if(
        directories, [](const QString& directory) { return bool(readSmcMotion(directory)); });
    return it == directories.cend() ? std::nullopt : std::optional(*it);
}

std::optional<std::array<qint16, 3>> readSmcMotion(const QString& directory) {
    const auto values = readTuple(directory + QLatin1String("/position"), 3);
    if (!values)
        return std::nullopt;
    std::array<qint16, 3> axes{};
    for (std::size_t i = 0; i < axes.size(); ++i) {
        const qint64 value = (*values)[qsizetype(i)];
        if (value < std::numeric_limits<qint16>::min() ||
            value > std::numeric_limits<qint16>::max())
            return std::nullopt;
        axes[i] = static_cast<qint16>(value);
    }
    return axes;
}

std::optional<IioAccelerometer> findIioAccelerometer() {
    for (const QString& directory : iioDevices()) {
        const auto x =
            findIioChannel(directory, QStringLiteral("in_accel_x"), QStringLiteral("in_accel"));
        const auto y =
            findIioChannel(directory, QStringLiteral("in_accel_y"), QStringLiteral("in_accel"));
        const auto z =
            findIioChannel(directory, QStringLiteral("in_accel_z"), QStringLiteral("in_accel"));
        if (x && y && z && readIioAcceleration({*x, *y, *z}))
            return IioAccelerometer{*x, *y, *z};
    }
    return std::nullopt;
}

std::optional<std::array<double, 3>> readIioAcceleration(const IioAccelerometer& accelerometer) {
    std::array<double, 3> axes{};
    for (std::size_t i = 0; i < axes.size(); ++i) {
        const auto value = readIioChannel(accelerometer[i]);
        if (!value)
            return std::nullopt;
        axes[i] = *value / standardGravity;
        if (!(std::abs(axes[i]) < accelerationLimit))
            return std::nullopt;
    }
    return axes;
}

std::optional<double> readHingeAngle() {
    for (const QString& directory : iioDevices()) {
        // IIO angles are in radians; channel 0 is the hinge.
        if (const auto radians =
                readIioChannel(directory, QStringLiteral("in_angl0"), QStringLiteral("in_angl")))
            if (const auto degrees = finite(*radians * 180.0 / std::numbers::pi))
                return degrees;
    }
    return std::nullopt;
}

std::optional<QByteArray> productName() {
    return readFile(root() + QLatin1String("/class/dmi/id/product_name"));
}

} // namespace SysfsSensors
