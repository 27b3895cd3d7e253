// sharedui-bench: what the shared UI kit's animated background costs.
//
//   QT_QPA_PLATFORM=offscreen sharedui-bench [Google Benchmark flags]
//
// MeshFrame: one whole frame at the launch window's ideal size (480 × 680),
// blobs, blur and scaling up included, drawn into an image as the widget draws
// into its backing store. VisibleBackground: a background shown for 10 s at
// 60 frames per second; cpu_share is the process's CPU time over wall time.

#include "SharedUI/MeshGradientBackground.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

const QSize idealSize(480, 680);

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void MeshFrame(benchmark::State& state) {
    const QList<QColor> colors = MeshGradientBackground::defaultColors();
    QImage target(idealSize, QImage::Format_ARGB32_Premultiplied);
    double t = 8.0e8;
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
        QPainter painter(&target);
        MeshGradientBackground::paintFrame(
            painter, QRectF(QPointF(0, 0), idealSize),
            MeshGradientBackground::reducedFrame(colors, t * 0.5, idealSize));
        t += 1.0 / 60;
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(MeshFrame)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Counts the frames the background actually paints.
class CountingBackground : public MeshGradientBackground {
public:
    int frames = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        MeshGradientBackground::paintEvent(event);
        ++frames;
    }
};

void VisibleBackground(benchmark::State& state) {
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores)
        CountingBackground background;
        background.resize(idealSize);
        background.show();
        QEventLoop loop;
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const double cpuStart = processCpuSeconds();
        loop.exec();
        const double cpu = processCpuSeconds() - cpuStart;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        state.counters["cpu_share"] = cpu / seconds;
        state.counters["fps"] = background.frames / seconds;
    }
}
BENCHMARK(VisibleBackground)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
