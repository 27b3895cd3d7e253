// pilewatch-sensor-bench: what the accelerometer backend costs the thread that
// receives its reports, per report (every 5 ms): one IIO reading of three axes
// from a sysfs-like tree on tmpfs or disk (a lower bound: real IIO attributes
// may wait on the sensor's bus), and one report through the decoder.
//
//   pilewatch-sensor-bench [--benchmark_filter=...]

#include "SharedCore/SensorManager.h"
#include "SysfsSensors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_DecodeReport(benchmark::State& state) {
    AccelerometerReportDecoder decoder;
    const QByteArray report = SensorFormats::encodeImuReport({0.5, -1.0, 0.25});
    while (state.KeepRunning())
        decoder.handleReport(report);
    benchmark::DoNotOptimize(decoder.readLockedCopy());
}
BENCHMARK(BM_DecodeReport);

void BM_ReadLockedCopy(benchmark::State& state) {
    AccelerometerReportDecoder decoder;
    while (state.KeepRunning())
        benchmark::DoNotOptimize(decoder.readLockedCopy());
}
BENCHMARK(BM_ReadLockedCopy)->Threads(1)->Threads(2);

void BM_IioReport(benchmark::State& state) {
    QTemporaryDir root;
    const QString device = root.filePath(QStringLiteral("bus/iio/devices/iio:device0"));
    QDir().mkpath(device);
    const auto put = [&](const char* name, const QByteArray& value) {
        QFile file(device + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(value);
    };
    put("in_accel_x_raw", "12\n");
    put("in_accel_y_raw", "-340\n");
    put("in_accel_z_raw", "1022\n");
    put("in_accel_scale", "0.009576806\n");
    qputenv("SHAREDCORE_SYSFS_ROOT", root.path().toLocal8Bit());
    const auto accelerometer = SysfsSensors::findIioAccelerometer();
    if (!accelerometer) {
        state.SkipWithError("no accelerometer in the tree");
        return;
    }
    AccelerometerReportDecoder decoder;
    while (state.KeepRunning()) {
        const auto axes = SysfsSensors::readIioAcceleration(*accelerometer);
        decoder.handleReport(SensorFormats::encodeImuReport({(*axes)[0], (*axes)[1], (*axes)[2]}));
    }
}
BENCHMARK(BM_IioReport);

} // namespace

BENCHMARK_MAIN();
