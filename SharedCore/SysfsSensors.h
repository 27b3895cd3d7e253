#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The machine's sensors as the kernel exposes them in sysfs: Apple's SMC on
// Intel Macs through the applesmc driver, and other machines' sensors through
// IIO. Every path lies under one root, /sys unless SHAREDCORE_SYSFS_ROOT moves
// it. Sources are searched applesmc first, then the IIO devices by number; the
// first device whose files all read as numbers wins. A device with a file
// missing, unreadable or holding anything but a number counts as absent.
// A value whose arithmetic overflows or is not a number is no reading either.
// Reads may come from any thread.
namespace SysfsSensors {

// SHAREDCORE_SYSFS_ROOT when set and not empty, else /sys.
QString root();

// A source of the ambient light level: a device folder and how it reads.
struct LightSource {
    enum class Kind { appleSmc, iioLux, iioRaw };
    Kind kind;
    QString directory;
};
std::optional<LightSource> findLight();
// The light level as the controller's two outputs: applesmc's left and right
// values, or IIO's one illuminance in lux (rounded down) for both.
std::optional<std::array<quint64, 2>> readLightOutputs(const LightSource& source);

// The folder of applesmc's motion sensor (its position file).
std::optional<QString> findSmcMotion();
// The SMC motion sensor's three raw axes, 256 to the g.
std::optional<std::array<qint16, 3>> readSmcMotion(const QString& directory);

// An IIO channel whose value is (raw + offset) × scale, with the scale and
// offset read once when the channel is found.
struct IioChannel {
    QString rawPath;
    double scale = 1;
    double offset = 0;
};
using IioAccelerometer = std::array<IioChannel, 3>;
// The largest acceleration in g the family's samples carry (the vendor
// accelerometer's report holds 1/65536 g in 32 bits); beyond it is no reading.
constexpr double accelerationLimit = 32768.0;
// The x, y and z channels of the first IIO accelerometer.
std::optional<IioAccelerometer> findIioAccelerometer();
// The accelerometer's three axes in g, each less than accelerationLimit in size.
std::optional<std::array<double, 3>> readIioAcceleration(const IioAccelerometer& accelerometer);

// The hinge angle in degrees of the first IIO device that has one.
std::optional<double> readHingeAngle();

// The machine's model text, such as "MacBookPro11,1", without the line end.
std::optional<QByteArray> productName();

} // namespace SysfsSensors
