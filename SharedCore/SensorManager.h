#pragma once

#include "SysfsSensors.h"

#include <QByteArrayView>
#include <QMutex>
#include <QString>
#include <memory>
#include <optional>

// The family's sensor readers: ambient light, an accelerometer and the lid
// angle. On Linux the devices are read from sysfs (see SysfsSensors.h); the
// Apple devices' byte formats are decoded here exactly as the hardware gives
// them. Off the hardware every reader fails quietly apart from its status line:
// open() gives false, reads give 0, (0, 0, 0), 90 degrees or nothing.

// Reads the ambient-light controller: applesmc's two light outputs, else an IIO
// illuminance channel. Closes on destruction.
class AmbientLightSensor {
public:
    AmbientLightSensor() = default;
    ~AmbientLightSensor();
    AmbientLightSensor(const AmbientLightSensor&) = delete;
    AmbientLightSensor& operator=(const AmbientLightSensor&) = delete;

    // Finds a light source; prints "⚠️ AmbientLightSensor: AppleLMUController
    // not found" and gives false when there is none.
    bool open();
    // The mean of the two outputs; 0 when closed or when the read fails.
    quint64 readRaw();
    // readRaw() over 50,000,000, at most 1.0.
    double readNormalized();
    void close();

private:
    std::optional<SysfsSensors::LightSource> m_source;
};

class AppleSPUHIDAccelerometerBackend;

// Reads an accelerometer: applesmc's motion sensor (read on demand), else an
// IIO accelerometer through the vendor accelerometer backend, which delivers
// reports on the event loop of the thread that opened it. Closes on
// destruction. open() and close() belong to the owning thread; read() may be
// called from any thread while the sensor stays open.
class MotionSensor {
public:
    // One sample in units of standard gravity.
    struct MotionData {
        double x = 0;
        double y = 0;
        double z = 0;
        friend bool operator==(const MotionData&, const MotionData&) = default;
    };

    MotionSensor();
    ~MotionSensor();
    MotionSensor(const MotionSensor&) = delete;
    MotionSensor& operator=(const MotionSensor&) = delete;

    // Opens the first source found and prints "✅ MotionSensor: Opened …";
    // prints "⚠️ MotionSensor: No accelerometer found (desktop Mac or
    // unsupported model)" and gives false when there is none. A second open
    // closes the first source.
    bool open();
    // The latest sample; (0, 0, 0) when closed.
    MotionData read();
    void close();

private:
    std::optional<QString> m_structureDevice;
    std::unique_ptr<AppleSPUHIDAccelerometerBackend> m_spuBackend;
};

// The Apple devices' byte formats.
namespace SensorFormats {

constexpr qsizetype motionStructureSize = 40;
constexpr double motionRawToG = 256.0;
constexpr qsizetype imuReportLength = 22;
constexpr qsizetype imuPayloadOffset = 6;
constexpr double imuRawToG = 65536.0;
constexpr qint64 decimationStride = 8;
constexpr double lightFullScale = 50'000'000.0;

// The light value: the mean of the controller's two outputs, rounded down.
quint64 lightMean(quint64 first, quint64 second);
// A light value as a fraction of full scale, at most 1.0.
double normalizedLight(quint64 raw);

// The motion sensor's output structure: x, y and z as signed 16-bit
// little-endian at offsets 0, 2 and 4, 256 to the g. A structure shorter than
// six bytes reads as (0, 0, 0).
MotionSensor::MotionData decodeMotionStructure(QByteArrayView structure);
QByteArray encodeMotionStructure(qint16 x, qint16 y, qint16 z);

// The vendor accelerometer's input report: x, y and z as signed 32-bit
// little-endian at offsets 6, 10 and 14, 65536 to the g. Values beyond the
// 32-bit range are clamped to it.
QByteArray encodeImuReport(const MotionSensor::MotionData& sample);

} // namespace SensorFormats

// The vendor accelerometer's report stream: every report of exactly 22 bytes
// counts, and every eighth one counted becomes the latest sample. Reports
// arrive on one thread; the latest sample is kept under a lock so any thread
// may read it.
class AccelerometerReportDecoder {
public:
    // Takes one report; reports of any other length are ignored and not counted.
    void handleReport(QByteArrayView report);
    MotionSensor::MotionData readLockedCopy() const;

private:
    mutable QMutex m_lock;
    MotionSensor::MotionData m_latest;
    qint64 m_decimationTick = 0;
};

// The lid angle: the hinge sensor where the machine has one, else an estimate
// from the light level.
class LidAngleSensor {
public:
    // The hinge angle in degrees, or nothing without a hinge sensor.
    std::optional<double> readDirect();
    // The light level times 135 degrees; 90 without a light sensor.
    double readEstimated();
    // readDirect() when it gives a value, else readEstimated().
    double read();
    // Whether the machine's model text contains "MacBook".
    static bool isMacBook();

private:
    AmbientLightSensor m_als;
};
