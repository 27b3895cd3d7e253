#include "LiveBenchmark.h"

#include "LoadEngine.h"
#include "PosixFs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int changesPerRun = 21; // seven of each kind
constexpr int deadlineMs = 30'000;
constexpr int streamSeconds = 10;

double nowMs(clockid_t clock) {
    return double(PosixFs::clockNs(clock)) / 1e6;
}

void writeBytes(const std::string& path, int flags, qint64 count) {
    const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    const std::vector<char> bytes(std::size_t(count), 'x');
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(count))
        std::perror(path.c_str());
    ::close(fd);
}

// Lets the event loop run for a while.
void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The engine and the published total, with the moment each publication came.
class Observer {
public:
    explicit Observer(LoadEngine& engine) : m_engine(engine) {
        QObject::connect(&engine, &LoadEngine::stateChanged, [this] {
            m_lastMs = nowMs(CLOCK_MONOTONIC);
            ++m_published;
        });
    }

    qint64 total() const { return m_engine.totalBytes(); }
    int published() const { return m_published; }

    // Milliseconds from changedAtMs to the publication showing the total
    // expected; negative when none does in time.
    double waitForTotal(qint64 expected, double changedAtMs) {
        QElapsedTimer waited;
        waited.start();
        while (total() != expected) {
            if (waited.hasExpired(deadlineMs))
                return -1;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return m_lastMs - changedAtMs;
    }

private:
    LoadEngine& m_engine;
    double m_lastMs = 0;
    int m_published = 0;
};

// The three kinds of change in turn, each with a size of its own so that the
// total tells which publication includes it. Returns the byte difference.
qint64 makeChange(const std::string& dir, int i) {
    const qint64 bytes = 1000 + i;
    switch (i % 3) {
    case 0: // a file created on the Desktop
        writeBytes(dir + "/live-bench-new-" + std::to_string(i), O_CREAT | O_EXCL, bytes);
        return bytes;
    case 1: // a file on the Desktop written and closed
        writeBytes(dir + "/file-1", O_APPEND, bytes);
        return bytes;
    default: // a file inside a top-level folder removed (put back unobserved later)
        ::unlink((dir + "/folder-" + std::to_string(i) + "/item-1").c_str());
        return -1; // item-1 of every folder holds 4097 bytes
    }
}

void restoreTree(const std::string& dir, int changes) {
    for (int i = 0; i < changes; ++i) {
        if (i % 3 == 0)
            ::unlink((dir + "/live-bench-new-" + std::to_string(i)).c_str());
        if (i % 3 == 2)
            writeBytes(dir + "/folder-" + std::to_string(i) + "/item-1", O_CREAT | O_TRUNC, 4097);
    }
    ::truncate((dir + "/file-1").c_str(), 4097);
}

struct Latencies {
    std::vector<double> ms;
    int missed = 0;

    void print(const char* title) {
        std::sort(ms.begin(), ms.end());
        if (ms.empty()) {
            std::printf("  %-44s none seen\n", title);
            return;
        }
        std::printf("  %-44s median %6.0f ms  worst %6.0f ms  (%zu changes%s)\n", title,
                    ms[ms.size() / 2], ms.back(), ms.size(), missed ? ", some never seen" : "");
    }
};

// Each change once the engine is idle and its cool-down has passed (isolated
// changes, as a user makes them), or after a random pause of up to a second
// (changes that may land in a cool-down and wait it out).
Latencies measureLatency(LoadEngine& engine, const std::string& dir, bool isolated) {
    Observer observer(engine);
    const qint64 baseline = observer.total();
    std::mt19937 random(11);
    Latencies result;
    for (int i = 0; i < changesPerRun; ++i) {
        pause(isolated ? 8000 : int(random() % 1000));
        const qint64 before = observer.total();
        const double changedAt = nowMs(CLOCK_MONOTONIC);
        const qint64 delta = makeChange(dir, i);
        const qint64 expected = before + (delta >= 0 ? delta : -4097);
        const double ms = observer.waitForTotal(expected, changedAt);
        if (ms < 0) {
            ++result.missed;
            break; // the totals no longer tell the changes apart
        }
        result.ms.push_back(ms);
    }
    restoreTree(dir, changesPerRun);
    observer.waitForTotal(baseline, 0);
    return result;
}

// A file in a top-level folder written without pause for streamSeconds; the
// engine's share of one core is the process's processor time less the
// writer's own.
void measureStreamingCpu(LoadEngine& engine, const std::string& dir) {
    Observer observer(engine);
    pause(8000); // past any cool-down
    const std::string stream = dir + "/folder-0/live-bench-stream";
    std::atomic<bool> stop{false};
    double writerCpuMs = 0;
    const int published = observer.published();
    const double wall0 = nowMs(CLOCK_MONOTONIC), cpu0 = nowMs(CLOCK_PROCESS_CPUTIME_ID);
    std::thread writer([&] {
        const int fd = ::open(stream.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const std::vector<char> block(4096, 'x');
        while (!stop.load()) {
            if (::write(fd, block.data(), block.size()) < 0)
                break;
            ::usleep(500);
        }
        ::close(fd);
        writerCpuMs = nowMs(CLOCK_THREAD_CPUTIME_ID);
    });
    pause(streamSeconds * 1000);
    stop = true;
    writer.join();
    const double wall = nowMs(CLOCK_MONOTONIC) - wall0;
    const double engineCpu = nowMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0 - writerCpuMs;
    std::printf("  engine cpu while a file in a folder is written for %d s: %.1f%% of one core "
                "(%d scans)   target < 10%%\n",
                streamSeconds, 100.0 * engineCpu / wall, observer.published() - published);
    ::unlink(stream.c_str());
}

} // namespace

void benchLiveDesktop(const std::string& dir) {
    std::printf("\nlive Desktop (%s), change to publication:\n", dir.c_str());
    LoadEngine engine(QByteArray::fromStdString(dir));
    engine.startMonitoring();
    pause(3000);
    measureLatency(engine, dir, true).print("isolated changes:");
    measureLatency(engine, dir, false).print("changes at random moments:");
    std::printf("  (target: worst under 1000 ms)\n");
    measureStreamingCpu(engine, dir);
    std::fflush(stdout);
}
