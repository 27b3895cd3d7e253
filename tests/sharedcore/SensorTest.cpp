#include "SharedCore/SensorManager.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <sstream>
#include <thread>

using MotionData = MotionSensor::MotionData;

void PrintTo(const MotionData& m, std::ostream* os) {
    *os << '(' << m.x << ", " << m.y << ", " << m.z << ')';
}

namespace {

const std::string lightMissing = "⚠️ AmbientLightSensor: AppleLMUController not found\n";
const std::string motionMissing =
    "⚠️ MotionSensor: No accelerometer found (desktop Mac or unsupported model)\n";
const QString smc = QStringLiteral("bus/platform/devices/applesmc.768/");
const QString iio = QStringLiteral("bus/iio/devices/iio:device0/");

// A fake sysfs tree that the readers see for the life of the object, and
// everything the readers print to standard output meanwhile.
class SysfsTree : public ::testing::Test {
protected:
    SysfsTree() : m_savedCout(std::cout.rdbuf(m_output.rdbuf())) {
        qputenv("SHAREDCORE_SYSFS_ROOT", m_root.path().toLocal8Bit());
    }
    ~SysfsTree() override {
        std::cout.rdbuf(m_savedCout);
        qunsetenv("SHAREDCORE_SYSFS_ROOT");
    }

    void put(const QString& path, const QByteArray& content) {
        const QString full = m_root.filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        writeFile(full.toLocal8Bit(), content);
    }
    std::string printed() {
        std::string text = m_output.str();
        m_output.str({});
        return text;
    }
    void putAccelerometer(const QString& device, const QByteArray& x, const QByteArray& y,
                          const QByteArray& z) {
        put(device + "in_accel_x_raw", x + '\n');
        put(device + "in_accel_y_raw", y + '\n');
        put(device + "in_accel_z_raw", z + '\n');
        put(device + "in_accel_scale", "0.980665\n"); // 10 raw units to the g
    }

    QTemporaryDir m_root;

private:
    std::ostringstream m_output;
    std::streambuf* m_savedCout;
};

// x, y and z as 32-bit little-endian at offset 6, 65536 to the g; values beyond
// that range are clamped to it, and not a number is 0.
TEST(SensorFormats, ImuReportEncodingIsLittleEndianAndClamps) {
    const auto axes = [](const MotionData& sample) {
        const QByteArray report = SensorFormats::encodeImuReport(sample);
        EXPECT_EQ(report.size(), 22);
        return report.mid(6, 12).toHex();
    };
    EXPECT_EQ(axes({1.0, -1.0, 0.5}), "000001000000ffff00800000");
    EXPECT_EQ(axes({1e12, -1e12, std::nan("")}), "ffffff7f0000008000000000");
}

TEST(SensorFormats, ImuReportsAreDecimatedByEightAndDecoded) {
    AccelerometerReportDecoder decoder;
    const QByteArray report = SensorFormats::encodeImuReport({1.0, -1.0, 0.5});
    for (int i = 1; i < 8; ++i) {
        decoder.handleReport(report);
        EXPECT_EQ(decoder.readLockedCopy(), MotionData{}) << "report " << i;
    }
    decoder.handleReport(report);
    EXPECT_EQ(decoder.readLockedCopy(), (MotionData{1.0, -1.0, 0.5}));

    // Wrong lengths neither count nor publish; the next eighth good report does.
    const QByteArray next = SensorFormats::encodeImuReport({-3.0, -32768.0, 1.0 / 65536});
    for (int i = 0; i < 7; ++i)
        decoder.handleReport(next);
    for (const QByteArray& wrong : {next.first(21), next + '\0', QByteArray()})
        decoder.handleReport(wrong);
    EXPECT_EQ(decoder.readLockedCopy(), (MotionData{1.0, -1.0, 0.5}));
    decoder.handleReport(next);
    EXPECT_EQ(decoder.readLockedCopy(), (MotionData{-3.0, -32768.0, 1.0 / 65536}));
}

// Sysfs readings reach the decoder through this format (see the applesmc test);
// a structure too short to hold the three axes reads as nothing.
TEST(SensorFormats, MotionStructureIsThreeLittleEndianAxesIn40Bytes) {
    const QByteArray structure = SensorFormats::encodeMotionStructure(-256, 512, 128);
    EXPECT_EQ(structure, QByteArray::fromHex("00ff00028000") + QByteArray(34, '\0'));
    EXPECT_EQ(SensorFormats::decodeMotionStructure(structure.first(5)), MotionData{});
}

TEST(SensorFormats, LightMeanRoundsDownWithoutOverflowAndNormalises) {
    constexpr quint64 most = std::numeric_limits<quint64>::max();
    EXPECT_EQ(SensorFormats::lightMean(3, 5), 4u);
    EXPECT_EQ(SensorFormats::lightMean(3, 4), 3u);
    EXPECT_EQ(SensorFormats::lightMean(most, most), most);
    EXPECT_EQ(SensorFormats::lightMean(most, most - 1), most - 1);
    EXPECT_EQ(SensorFormats::normalizedLight(25'000'000), 0.5);
    EXPECT_EQ(SensorFormats::normalizedLight(most), 1.0);
}

TEST_F(SysfsTree, WithoutDevicesReadersFailWithTheirStatusLines) {
    AmbientLightSensor light;
    EXPECT_FALSE(light.open());
    EXPECT_EQ(printed(), lightMissing);
    EXPECT_EQ(light.readRaw(), 0u);
    EXPECT_EQ(light.readNormalized(), 0.0);

    MotionSensor motion;
    EXPECT_FALSE(motion.open());
    EXPECT_EQ(printed(), motionMissing);
    EXPECT_EQ(motion.read(), MotionData{});

    LidAngleSensor lid;
    EXPECT_EQ(lid.readDirect(), std::nullopt);
    EXPECT_EQ(lid.readEstimated(), 90.0);
    EXPECT_EQ(lid.read(), 90.0);
    EXPECT_EQ(printed(), lightMissing + lightMissing);
    EXPECT_FALSE(LidAngleSensor::isMacBook());
}

// IIO devices in number order (2 before 10), each as a raw channel with its
// scale and offset or as a lux value; applesmc before them all.
TEST_F(SysfsTree, LightReadsApplesmcThenIioInDeviceOrder) {
    const QString device2 = QStringLiteral("bus/iio/devices/iio:device2/");
    put("bus/iio/devices/iio:device10/in_illuminance_input", "300.9\n");
    put(device2 + "in_illuminance_raw", "200\n");
    put(device2 + "in_illuminance_scale", "0.5\n");
    put(device2 + "in_illuminance_offset", "10\n");
    AmbientLightSensor light;
    ASSERT_TRUE(light.open());
    EXPECT_EQ(light.readRaw(), 105u); // (200 + 10) × 0.5
    put(device2 + "in_illuminance_scale", "\n");
    ASSERT_TRUE(light.open());
    EXPECT_EQ(light.readRaw(), 300u);
    put(smc + "light", "(12,35)\n");
    ASSERT_TRUE(light.open());
    EXPECT_EQ(light.readRaw(), 23u);
    EXPECT_DOUBLE_EQ(light.readNormalized(), 23 / 50e6);
    put(smc + "light", "(60000000,70000000)\n");
    EXPECT_EQ(light.readNormalized(), 1.0);
    put(smc + "light", "(60000000)\n"); // the device went bad while open
    EXPECT_EQ(light.readRaw(), 0u);
    light.close();
    put(smc + "light", "(4,4)\n");
    EXPECT_EQ(light.readRaw(), 0u);
    EXPECT_EQ(printed(), "");
}

// The first: a raw illuminance without a scale.
TEST_F(SysfsTree, HalfPresentLightDevicesAreMissing) {
    std::vector<std::pair<QString, QByteArray>> broken{{iio + "in_illuminance_raw", "200"}};
    for (const char* text : {"(12)", "(12,35,7)", "(a,b)", "12,35", "(-1,35)", ""})
        broken.emplace_back(smc + "light", text);
    for (const char* text : {"bright", "nan", "-4", "1e30"})
        broken.emplace_back(iio + "in_illuminance_input", text);
    for (const auto& [path, content] : broken) {
        QDir(m_root.path()).removeRecursively();
        put(path, content);
        AmbientLightSensor light;
        EXPECT_FALSE(light.open()) << path.toStdString() << " " << content.toStdString();
        EXPECT_EQ(light.readRaw(), 0u);
        EXPECT_EQ(printed(), lightMissing);
    }
    // A folder where a file should be cannot be read.
    QDir().mkpath(m_root.filePath(smc + "light"));
    AmbientLightSensor light;
    EXPECT_FALSE(light.open());
}

TEST_F(SysfsTree, MotionReadsApplesmcPositionOnDemand) {
    putAccelerometer(iio, "10", "0", "0");
    put(smc + "position", "(256,-512,128)\n");
    MotionSensor motion;
    ASSERT_TRUE(motion.open());
    EXPECT_EQ(printed(), "✅ MotionSensor: Opened SMCMotionSensor\n");
    EXPECT_EQ(motion.read(), (MotionData{1.0, -2.0, 0.5}));
    put(smc + "position", "(-32768,0,32767)\n");
    EXPECT_EQ(motion.read(), (MotionData{-128.0, 0.0, 32767 / 256.0}));
    put(smc + "position", "(40000,0,0)\n"); // not a 16-bit axis
    EXPECT_EQ(motion.read(), MotionData{});
    motion.close();
    put(smc + "position", "(256,0,0)\n");
    EXPECT_EQ(motion.read(), MotionData{});
}

TEST_F(SysfsTree, MotionFallsBackToIioReportsOnTheEventLoop) {
    put(smc + "position", "(1,2)\n"); // half-present SMC sensor: skipped
    putAccelerometer(iio, "10", "-20", "5");
    MotionSensor motion;
    ASSERT_TRUE(motion.open());
    EXPECT_EQ(printed(), "✅ MotionSensor: Opened Apple SPU HID accelerometer (experimental)\n");
    EXPECT_EQ(motion.read(), MotionData{}) << "no report has come in yet";
    const auto near = [](const MotionData& m, double x, double y, double z) {
        return std::abs(m.x - x) < 1e-4 && std::abs(m.y - y) < 1e-4 && std::abs(m.z - z) < 1e-4;
    };
    EXPECT_TRUE(waitUntil([&] { return near(motion.read(), 1.0, -2.0, 0.5); }));

    // A device that stops reading gives no reports; the last sample stays.
    put(iio + "in_accel_z_raw", "oops\n");
    put(iio + "in_accel_x_raw", "30\n");
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(near(motion.read(), 1.0, -2.0, 0.5));

    motion.close();
    EXPECT_EQ(motion.read(), MotionData{});
}

TEST_F(SysfsTree, HalfPresentAccelerometersAreMissing) {
    // No content: the file is missing.
    const std::vector<std::pair<QString, std::optional<QByteArray>>> broken{
        {"in_accel_z_raw", ""},    {"in_accel_z_raw", "1.2.3"}, {"in_accel_scale", "x"},
        {"in_accel_scale", "inf"}, {"in_accel_offset", "?"},    {"in_accel_y_raw", std::nullopt}};
    for (const auto& [file, content] : broken) {
        SCOPED_TRACE(file.toStdString() + " " + content.value_or("missing").toStdString());
        QDir(m_root.path()).removeRecursively();
        putAccelerometer(iio, "1", "2", "3");
        if (content)
            put(iio + file, *content);
        else
            QFile::remove(m_root.filePath(iio + file));
        EXPECT_FALSE(MotionSensor().open());
        EXPECT_EQ(printed(), motionMissing);
    }
}

// IIO channels whose files each hold a finite number but whose (raw + offset) ×
// scale is infinite or not a number give no reading, whichever reader asks.
TEST_F(SysfsTree, HostileIioArithmeticIsNoReading) {
    const std::vector<std::array<QByteArray, 3>> channels{
        {"1e308", "0", "1e308"},                                         // +inf
        {"-1e308", "0", "1e308"},                                        // -inf
        {"1e308", "1e308", "1"},                                         // the sum overflows
        {"-1.7976931348623157e308", "-1.7976931348623157e308", "0.5"},   // the sum underflows
        {"1e308", "1e308", "0"},                                         // inf × 0 = NaN
        {"1.7976931348623157e308", "1.7976931348623157e308", "-1e-300"}, // -inf
    };
    for (const auto& [raw, offset, scale] : channels) {
        SCOPED_TRACE((raw + " " + offset + " " + scale).toStdString());
        for (const char* channel :
             {"in_accel_x", "in_accel_y", "in_accel_z", "in_illuminance", "in_angl0"})
            put(iio + channel + "_raw", raw);
        for (const char* type : {"in_accel", "in_illuminance", "in_angl"}) {
            put(iio + type + "_offset", offset);
            put(iio + type + "_scale", scale);
        }
        EXPECT_FALSE(AmbientLightSensor().open());
        EXPECT_FALSE(MotionSensor().open());
        EXPECT_EQ(LidAngleSensor().readDirect(), std::nullopt);
        printed();
    }
    // Finite values that a sample or an angle cannot carry: about 33,650 g, and
    // finite radians that are infinite degrees.
    for (const QByteArray raw : {"3.3e5", "-3.3e5"}) {
        QDir(m_root.path()).removeRecursively();
        putAccelerometer(iio, raw, "0", "0");
        put(iio + "in_accel_scale", "1");
        EXPECT_FALSE(MotionSensor().open()) << raw.toStdString();
    }
    put(iio + "in_angl0_raw", "1e307");
    put(iio + "in_angl_scale", "1");
    EXPECT_EQ(LidAngleSensor().readDirect(), std::nullopt);
}

// Samples are published on the event loop while another thread reads them:
// every sample read is one whole published sample, and they come in order.
TEST_F(SysfsTree, MotionSamplesReadFromAnotherThreadAreWhole) {
    putAccelerometer(iio, "0", "0", "0");
    MotionSensor motion;
    ASSERT_TRUE(motion.open());
    constexpr int last = 12;
    std::atomic<bool> stop = false;
    std::vector<MotionData> seen{{}};
    std::thread reader([&] {
        while (!stop) {
            if (const MotionData sample = motion.read(); !(sample == seen.back()))
                seen.push_back(sample);
        }
    });
    for (int step = 1; step <= last; ++step) {
        const QByteArray raw = QByteArray::number(step * 10);
        putAccelerometer(iio, raw, raw, raw);
        waitUntil([&] { return motion.read().x == step; });
    }
    stop = true;
    reader.join();
    EXPECT_GT(seen.size(), 2u);
    EXPECT_EQ(motion.read(), (MotionData{last, last, last}));
    double previous = 0;
    for (const MotionData& sample : seen) {
        EXPECT_TRUE(sample.x == sample.y && sample.y == sample.z);
        EXPECT_GE(sample.x, previous);
        previous = sample.x;
    }
}

TEST_F(SysfsTree, LidAnglePrefersTheHingeSensor) {
    put(smc + "light", "(25000000,25000000)\n");
    LidAngleSensor lid;
    EXPECT_EQ(lid.readEstimated(), 67.5);
    EXPECT_EQ(lid.read(), 67.5);
    const QString hinge = QStringLiteral("bus/iio/devices/iio:device3/");
    put(hinge + "in_angl0_raw", "110\n");
    put(hinge + "in_angl_scale", "0.017453292519943295\n"); // degrees to radians
    ASSERT_TRUE(lid.readDirect());
    EXPECT_NEAR(*lid.readDirect(), 110.0, 1e-9);
    EXPECT_NEAR(lid.read(), 110.0, 1e-9);
    put(hinge + "in_angl_offset", "-20\n");
    EXPECT_NEAR(lid.read(), 90.0, 1e-9);
    put(hinge + "in_angl0_raw", "open\n");
    EXPECT_EQ(lid.readDirect(), std::nullopt);
    EXPECT_EQ(lid.read(), 67.5);
    EXPECT_EQ(printed(), "");
}

TEST_F(SysfsTree, IsMacBookLooksForTheCaseSensitiveModelText) {
    const std::vector<std::pair<QByteArray, bool>> models{
        {"MacBookPro11,1\n", true},      {"MacBookAir7,2", true},
        {"Not a MacBook clone\n", true}, {"iMac14,2\n", false},
        {"macbook pro\n", false},        {"MACBOOK\n", false},
        {"ThinkPad X1\n", false},        {"\n", false},
    };
    for (const auto& [model, expected] : models) {
        put("class/dmi/id/product_name", model);
        EXPECT_EQ(LidAngleSensor::isMacBook(), expected) << model.toStdString();
    }
}

} // namespace
