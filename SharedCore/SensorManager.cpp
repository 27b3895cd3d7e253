#include "SensorManager.h"

#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <limits>

namespace {

void printStatus(const QString& line) {
    std::cout << line.toStdString() << std::endl;
}

} // namespace

// Stands in for Apple's SPU HID accelerometer: a timer on the event loop of the
// thread that opened it reads the IIO accelerometer every reportPeriod (its
// scale is read once, at open), and each
// sample becomes one input report of the vendor format that goes through the
// report decoder, as the device's own reports would. So the sensor publishes
// every eighth reading, 25 samples a second.
class AppleSPUHIDAccelerometerBackend {
public:
    static constexpr std::chrono::milliseconds reportPeriod{5};

    AppleSPUHIDAccelerometerBackend() = default;
    ~AppleSPUHIDAccelerometerBackend() { close(); }
    AppleSPUHIDAccelerometerBackend(const AppleSPUHIDAccelerometerBackend&) = delete;
    AppleSPUHIDAccelerometerBackend& operator=(const AppleSPUHIDAccelerometerBackend&) = delete;

    bool open() {
        close();
        m_device = SysfsSensors::findIioAccelerometer();
        if (!m_device)
            return false;
        m_timer = std::make_unique<QTimer>();
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { report(); });
        m_timer->start(reportPeriod);
        return true;
    }

    // Stops the reports; the latest sample stays.
    void close() {
        m_timer.reset();
        m_device.reset();
    }

    MotionSensor::MotionData readLockedCopy() const { return m_decoder.readLockedCopy(); }

private:
    // A reading that fails gives no report.
    void report() {
        const auto axes = SysfsSensors::readIioAcceleration(*m_device);
        if (axes) {
            m_decoder.handleReport(
                SensorFormats::encodeImuReport({(*axes)[0], (*axes)[1], (*axes)[2]}));
        }
    }

    AccelerometerReportDecoder m_decoder;
    std::optional<SysfsSensors::IioAccelerometer> m_device;
    std::unique_ptr<QTimer> m_timer;
};

namespace SensorFormats {

quint64 lightMean(quint64 first, quint64 second) {
    // Halves first, so two large outputs cannot overflow their sum.
    return first / 2 + second / 2 + (first & second & 1);
}

double normalizedLight(quint64 raw) {
    return std::min(static_cast<double>(raw) / lightFullScale, 1.0);
}

MotionSensor::MotionData decodeMotionStructure(QByteArrayView structure) {
    if (structure.size() < 6)
        return {};
    const auto axis = [&](qsizetype offset) {
        return qFromLittleEndian<qint16>(structure.data() + offset) / motionRawToG;
    };
    return {axis(0), axis(2), axis(4)};
}

QByteArray encodeMotionStructure(qint16 x, qint16 y, qint16 z) {
    QByteArray structure(motionStructureSize, '\0');
    qToLittleEndian(x, structure.data());
    qToLittleEndian(y, structure.data() + 2);
    qToLittleEndian(z, structure.data() + 4);
    return structure;
}

// The IIO accelerometer hands on only samples that a report carries unclamped.
static_assert(SysfsSensors::accelerationLimit * imuRawToG == 2147483648.0);

QByteArray encodeImuReport(const MotionSensor::MotionData& sample) {
    QByteArray report(imuReportLength, '\0');
    const auto put = [&](double g, qsizetype offset) {
        constexpr double low = std::numeric_limits<qint32>::min();
        constexpr double high = std::numeric_limits<qint32>::max();
        const double raw = std::isnan(g) ? 0.0 : std::clamp(std::round(g * imuRawToG), low, high);
        qToLittleEndian(static_cast<qint32>(raw), report.data() + offset);
    };
    put(sample.x, imuPayloadOffset);
    put(sample.y, imuPayloadOffset + 4);
    put(sample.z, imuPayloadOffset + 8);
    return report;
}

} // namespace SensorFormats

void AccelerometerReportDecoder::handleReport(QByteArrayView report) {
    if (report.size() != SensorFormats::imuReportLength)
        return;
    if (++m_decimationTick % SensorFormats::decimationStride != 0)
        return;
    const auto axis = [&](qsizetype offset) {
        return qFromLittleEndian<qint32>(report.data() + SensorFormats::imuPayloadOffset + offset) /
               SensorFormats::imuRawToG;
    };
    const MotionSensor::MotionData sample{axis(0), axis(4), axis(8)};
    const QMutexLocker locker(&m_lock);
    m_latest = sample;
}

MotionSensor::MotionData AccelerometerReportDecoder::readLockedCopy() const {
    const QMutexLocker locker(&m_lock);
    return m_latest;
}

AmbientLightSensor::~AmbientLightSensor() {
    close();
}

bool AmbientLightSensor::open() {
    m_source = SysfsSensors::findLight();
    if (!m_source)
        printStatus(QStringLiteral("⚠️ AmbientLightSensor: AppleLMUController not found"));
    return m_source.has_value();
}

quint64 AmbientLightSensor::readRaw() {
    if (!m_source)
        return 0;
    const auto outputs = SysfsSensors::readLightOutputs(*m_source);
    return outputs ? SensorFormats::lightMean((*outputs)[0], (*outputs)[1]) : 0;
}

double AmbientLightSensor::readNormalized() {
    return SensorFormats::normalizedLight(readRaw());
}

void AmbientLightSensor::close() {
    m_source.reset();
}

MotionSensor::MotionSensor() = default;

MotionSensor::~MotionSensor() {
    close();
}

bool MotionSensor::open() {
    close();
    m_structureDevice = SysfsSensors::findSmcMotion();
    if (m_structureDevice) {
        printStatus(QStringLiteral("✅ MotionSensor: Opened SMCMotionSensor"));
        return true;
    }
    auto backend = std::make_unique<AppleSPUHIDAccelerometerBackend>();
    if (!backend->open()) {
        printStatus(QStringLiteral(
            "⚠️ MotionSensor: No accelerometer found (desktop Mac or unsupported model)"));
        return false;
    }
    m_spuBackend = std::move(backend);
    printStatus(
        QStringLiteral("✅ MotionSensor: Opened Apple SPU HID accelerometer (experimental)"));
    return true;
}

MotionSensor::MotionData MotionSensor::read() {
    if (m_spuBackend)
        return m_spuBackend->readLockedCopy();
    if (!m_structureDevice)
        return {};
    const auto axes = SysfsSensors::readSmcMotion(*m_structureDevice);
    if (!axes)
        return {};
    return SensorFormats::decodeMotionStructure(
        SensorFormats::encodeMotionStructure((*axes)[0], (*axes)[1], (*axes)[2]));
}

void MotionSensor::close() {
    m_spuBackend.reset();
    m_structureDevice.reset();
}

std::optional<double> LidAngleSensor::readDirect() {
    return SysfsSensors::readHingeAngle();
}

double LidAngleSensor::readEstimated() {
    if (!m_als.open())
        return 90.0;
    const double level = m_als.readNormalized();
    m_als.close();
    return level * 135.0;
}

double LidAngleSensor::read() {
    const auto direct = readDirect();
    return direct ? *direct : readEstimated();
}

bool LidAngleSensor::isMacBook() {
    const auto model = SysfsSensors::productName();
    return model && model->contains("MacBook");
}
