// pilewatch-bench: times one engine scan side by side with two minimal
// reference scanners on synthetic Desktops, and prints the ratios.
//
//   pilewatch-bench [--sizes small,medium,large,live] [--root DIR] [--rounds N]
//
// "live" times a monitoring engine on the medium tree as it changes (see
// LiveBenchmark.h).
//
// Trees are built once (sparse files, so they cost little disk) under
// --root (default $PILEWATCH_BENCH_DIR, else /var/tmp/pilewatch-bench) and
// reused by later runs. Each measurement runs in a fresh child process, so
// its peak memory growth is its own; within a child the scan runs a few
// times on a warm cache and the fastest run counts.

#include "EngineWait.h"
#include "LiveBenchmark.h"
#include "LoadEngine.h"
#include "PosixFs.h"
#include "ReferenceScanners.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

struct TreeShape {
    const char* name;
    int topFiles;
    int folders;
    int filesPerFolder;
};

// Top-level entries: small 50, medium 2,000, large 21,000.
const TreeShape shapes[] = {
    {"small", 40, 10, 20},
    {"medium", 1800, 200, 500},
    {"large", 20000, 1000, 1000},
};

constexpr int scansPerChild = 3;
const char* const scanners[] = {"engine", "ref-1-thread", "ref-2-threads"};

// --- Tree generation -----------------------------------------------------------

void sparseFile(int dirFd, const std::string& name, off_t size) {
    const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) {
        std::perror(name.c_str());
        std::exit(2);
    }
    ::close(fd);
}

void fillFolder(int dirFd, const char* prefix, int count) {
    for (int i = 0; i < count; ++i)
        sparseFile(dirFd, prefix + std::to_string(i), off_t(i % 97) * 4096 + i);
}

int makeAndOpen(const std::string& path) {
    ::mkdir(path.c_str(), 0755);
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Builds the tree once; a finished tree is marked by a file beside it.
std::string ensureTree(const std::string& root, const TreeShape& shape) {
    const std::string path = root + '/' + shape.name;
    const std::string marker = path + ".complete";
    if (::access(marker.c_str(), F_OK) == 0)
        return path;
    std::printf("building the %s tree in %s ... ", shape.name, path.c_str());
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    ::mkdir(root.c_str(), 0755);
    const int top = makeAndOpen(path);
    fillFolder(top, "file-", shape.topFiles);
    for (int f = 0; f < shape.folders; ++f) {
        const int folder = makeAndOpen(path + "/folder-" + std::to_string(f));
        fillFolder(folder, "item-", shape.filesPerFolder);
        ::close(folder);
    }
    ::close(top);
    ::close(::open(marker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f s\n", seconds);
    return path;
}

// --- Child: one scanner, a few scans ------------------------------------------

long statusKiB(const char* field) {
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long value = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            value = std::atol(line + std::strlen(field) + 1);
    if (status)
        std::fclose(status);
    return value;
}

void resetPeakMemory() {
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(fd, "5", 1);
        ::close(fd);
    }
}

std::int64_t engineScan(LoadEngine& engine) {
    runAndWait(engine, [&] { engine.scan(); });
    return engine.totalBytes();
}

int runChild(const QString& scanner, const QByteArray& dir) {
    LoadEngine engine(dir);
    resetPeakMemory();
    const long baseline = statusKiB("VmRSS:");
    std::int64_t bestWall = INT64_MAX, bestCpu = 0, total = 0;
    for (int i = 0; i < scansPerChild; ++i) {
        const std::int64_t wall0 = PosixFs::clockNs(CLOCK_MONOTONIC),
                           cpu0 = PosixFs::clockNs(CLOCK_PROCESS_CPUTIME_ID);
        if (scanner == u"engine")
            total = engineScan(engine);
        else if (scanner == u"ref-1-thread")
            total = referenceScanOneThread(dir.constData());
        else
            total = referenceScanTwoThreads(dir.constData());
        const std::int64_t wall = PosixFs::clockNs(CLOCK_MONOTONIC) - wall0;
        const std::int64_t cpu = PosixFs::clockNs(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        if (wall < bestWall) {
            bestWall = wall;
            bestCpu = cpu;
        }
    }
    std::printf("%lld %lld %ld %lld\n", static_cast<long long>(bestWall),
                static_cast<long long>(bestCpu), statusKiB("VmHWM:") - baseline,
                static_cast<long long>(total));
    return 0;
}

// --- Parent: measure, compare, print --------------------------------------------

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
    long memoryKiB = 0;
    long long total = 0;
};

Sample measure(const QString& self, const char* scanner, const std::string& dir) {
    QProcess child;
    child.start(self, {"--child", scanner, QString::fromStdString(dir)});
    child.waitForFinished(-1);
    long long wall = 0, cpu = 0, total = 0;
    long memory = 0;
    std::sscanf(child.readAllStandardOutput().constData(), "%lld %lld %ld %lld", &wall, &cpu,
                &memory, &total);
    return {double(wall) / 1e6, double(cpu) / 1e6, memory, total};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Series {
    std::vector<double> wall, cpu;
    long memoryKiB = 0;
    long long total = -1;
    bool consistent = true;

    void add(const Sample& s) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        memoryKiB = std::max(memoryKiB, s.memoryKiB);
        consistent = consistent && (total < 0 || total == s.total);
        total = s.total;
    }
    double bestWall() const { return *std::min_element(wall.begin(), wall.end()); }
    double bestCpu() const { return *std::min_element(cpu.begin(), cpu.end()); }
};

void benchTree(const QString& self, const std::string& root, const TreeShape& shape, int rounds) {
    const std::string dir = ensureTree(root, shape);
    referenceScanOneThread(dir.c_str()); // warm the cache
    std::map<std::string, Series> series;
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < 3; ++k) { // rotate the order from round to round
            const char* scanner = scanners[(round + k) % 3];
            series[scanner].add(measure(self, scanner, dir));
        }

    const long entries =
        long(shape.topFiles) + shape.folders + long(shape.folders) * shape.filesPerFolder;
    std::printf("\n%s tree: %d top-level entries, %ld entries in all\n", shape.name,
                shape.topFiles + shape.folders, entries);
    std::printf("  %-14s %12s %12s %12s %12s %14s\n", "scanner", "wall best", "wall median",
                "cpu best", "cpu median", "peak mem +KiB");
    for (const char* scanner : scanners) {
        const Series& s = series[scanner];
        std::printf("  %-14s %9.3f ms %9.3f ms %9.3f ms %9.3f ms %14ld%s\n", scanner, s.bestWall(),
                    median(s.wall), s.bestCpu(), median(s.cpu), s.memoryKiB,
                    s.consistent ? "" : "  (totals differ between runs)");
    }
    const Series& engine = series["engine"];
    const Series& one = series["ref-1-thread"];
    const Series& two = series["ref-2-threads"];
    if (engine.total != one.total || one.total != two.total)
        std::printf("  WARNING: totals differ: engine %lld, references %lld / %lld\n", engine.total,
                    one.total, two.total);
    const double fasterBest = std::min(one.bestWall(), two.bestWall());
    const double fasterMedian = std::min(median(one.wall), median(two.wall));
    std::printf("  wall engine / faster reference: %.3f (best)  %.3f (median)   target <= 1.15\n",
                engine.bestWall() / fasterBest, median(engine.wall) / fasterMedian);
    std::printf("  cpu  engine / 1-thread reference: %.3f (best)  %.3f (median)   target <= 1.15\n",
                engine.bestCpu() / one.bestCpu(), median(engine.cpu) / median(one.cpu));
    std::fflush(stdout);
}

int usage() {
    std::fputs(
        "usage: pilewatch-bench [--sizes small,medium,large,live] [--root DIR] [--rounds N]\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--child")
        return runChild(args[2], QFile::encodeName(args[3]));

    QStringList sizes = {"small", "medium", "large", "live"};
    QByteArray root = qgetenv("PILEWATCH_BENCH_DIR");
    if (root.isEmpty())
        root = "/var/tmp/pilewatch-bench";
    int rounds = 3;
    for (qsizetype i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        if (args[i] == u"--sizes")
            sizes = args[i + 1].split(u',');
        else if (args[i] == u"--root")
            root = QFile::encodeName(args[i + 1]);
        else if (args[i] == u"--rounds")
            rounds = std::max(1, args[i + 1].toInt());
        else
            return usage();
    }
    std::printf("pilewatch-bench: best of %d scans per child, %d rounds, trees under %s\n",
                scansPerChild, rounds, root.constData());
    for (const TreeShape& shape : shapes)
        if (sizes.contains(QString::fromLatin1(shape.name)))
            benchTree(app.applicationFilePath(), root.toStdString(), shape, rounds);
    if (sizes.contains(u"live"))
        benchLiveDesktop(ensureTree(root.toStdString(), shapes[1]));
    return 0;
}
