// The engine following a live Desktop: changes reach a publication without
// waiting for the 20-second timer, bursts start few scans, watches come and
// go with the folders, and nothing leaks.
#include "DesktopWatcher.h"
#include "EngineTestSupport.h"
#include "LoadEngine.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// Reaches the engine's monitoring parts, so tests can silence the timer and
// narrow the watches.
class LoadEngineTestHook {
public:
    static void stopTimer(LoadEngine& engine) { engine.m_timer->stop(); }
    static DesktopWatcher& watcher(LoadEngine& engine) { return *engine.m_watcher; }
};

namespace {

// Generous, so a slow machine cannot fail a test, yet well under the timer's
// 20 seconds: what arrives in time arrived through the watches.
constexpr int deadlineMs = 8000;

// How many inotify watches the process holds (the kernel's own count).
int inotifyWatchCount() {
    int count = 0;
    QDirIterator fds(QStringLiteral("/proc/self/fdinfo"), QDir::Files);
    while (fds.hasNext()) {
        QFile info(fds.next());
        if (info.open(QIODevice::ReadOnly))
            count += int(info.readAll().count("inotify wd:"));
    }
    return count;
}

// Open descriptors, leaving out the wake-up descriptor each thread of the
// scan pool holds while it lives: those come and go with the pool's threads.
int openDescriptorCount() {
    int count = 0;
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::AllEntries | QDir::System);
    while (fds.hasNext())
        count += fds.nextFileInfo().symLinkTarget().endsWith("[eventfd]") ? 0 : 1;
    return count;
}

// A monitored engine on a temporary Desktop whose timer never fires, so only
// the watches can bring changes in; publications and failures are counted.
class LiveDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&engine, &LoadEngine::stateChanged, [this] { ++published; });
        QObject::connect(&engine, &LoadEngine::scanFailed, [this] { ++failed; });
    }

    void startMonitoring() {
        engine.startMonitoring();
        LoadEngineTestHook::stopTimer(engine);
        ASSERT_TRUE(waitUntil([&] { return published == 1; }));
    }

    // Makes the change and waits until a publication satisfies shows().
    bool seen(const std::function<void()>& change, const std::function<bool()>& shows) {
        const int before = published;
        change();
        return waitUntil([&] { return published > before && shows(); }, deadlineMs);
    }

    // Waits until no scan has been published for a while.
    void settle(int quietMs = 1200) {
        for (int last = -1; last != published;) {
            last = published;
            waitUntil([] { return false; }, quietMs);
        }
    }

    // Whether the published state equals what a fresh full scan finds now.
    bool matchesAFullScan() const {
        LoadEngine fresh(desktop.path());
        bool done = false;
        QObject::connect(&fresh, &LoadEngine::stateChanged, [&] { done = true; });
        fresh.scan();
        return waitUntil([&] { return done; }, deadlineMs) &&
               fresh.totalBytes() == engine.totalBytes() && fresh.fileCount() == engine.fileCount();
    }

    qint64 sizeOf(const QByteArray& rawName) const {
        for (const auto& item : engine.topItems())
            if (item.rawName() == rawName)
                return item.size;
        return -1;
    }

    TempDesktop desktop;
    LoadEngine engine{desktop.path()};
    int published = 0;
    int failed = 0;
};

void appendTo(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

TEST_F(LiveDesktop, EveryKindOfChangeIsPublishedWithoutTheTimer) {
    const QByteArray box = desktop / "Box";
    makeDir(box);
    writeFile(box + "/inner.txt", "1234");
    writeFile(desktop / "a.txt", "12");
    setModified(desktop / "a.txt", 1'000'000'000);
    startMonitoring();
    ASSERT_EQ(engine.fileCount(), 2);
    const qint64 folderOwnSize = sizeOf("Box") - 4;

    struct Step {
        const char* what;
        std::function<void()> change;
        std::function<bool()> shows;
    };
    const Step steps[] = {
        {"file created", [&] { writeFile(desktop / "new.bin", QByteArray(1000, 'x')); },
         [&] { return engine.fileCount() == 3 && sizeOf("new.bin") == 1000; }},
        {"file written and closed", [&] { appendTo(desktop / "a.txt", "345"); },
         [&] { return sizeOf("a.txt") == 5; }},
        {"file truncated", [&] { ASSERT_EQ(::truncate((desktop / "a.txt").constData(), 1), 0); },
         [&] { return sizeOf("a.txt") == 1; }},
        {"file touched", [&] { setModified(desktop / "a.txt", 1'500'000'000); },
         [&] {
             for (const auto& item : engine.topItems())
                 if (item.rawName() == "a.txt")
                     return item.modified.toSecsSinceEpoch() == 1'500'000'000;
             return false;
         }},
        {"file renamed",
         [&] { ::rename((desktop / "a.txt").constData(), (desktop / "b").constData()); },
         [&] { return sizeOf("a.txt") < 0 && sizeOf("b") == 1; }},
        {"file removed", [&] { ::unlink((desktop / "new.bin").constData()); },
         [&] { return engine.fileCount() == 2; }},
        {"file added in a folder", [&] { writeFile(box + "/more", "123456"); },
         [&] { return sizeOf("Box") == folderOwnSize + 10; }},
        {"file written in a folder", [&] { appendTo(box + "/more", "7890"); },
         [&] { return sizeOf("Box") == folderOwnSize + 14; }},
        {"file truncated in a folder",
         [&] { ASSERT_EQ(::truncate((box + "/more").constData(), 0), 0); },
         [&] { return sizeOf("Box") == folderOwnSize + 4; }},
        {"file moved out of a folder",
         [&] { ::rename((box + "/inner.txt").constData(), (desktop / "inner.txt").constData()); },
         [&] { return sizeOf("Box") == folderOwnSize && sizeOf("inner.txt") == 4; }},
        {"folder renamed, then written in",
         [&] {
             ::rename(box.constData(), (desktop / "Crate").constData());
             ASSERT_TRUE(waitUntil([&] { return sizeOf("Crate") >= 0; }, deadlineMs));
             writeFile(desktop / "Crate/late", "12345678");
         },
         [&] { return sizeOf("Crate") == folderOwnSize + 8; }},
        {"empty file removed in a folder", [&] { ::unlink((desktop / "Crate/more").constData()); },
         [&] { return sizeOf("Crate") == folderOwnSize + 8; }},
        {"folder created, then written in",
         [&] {
             makeDir(desktop / "Fresh");
             ASSERT_TRUE(waitUntil([&] { return sizeOf("Fresh") >= 0; }, deadlineMs));
             writeFile(desktop / "Fresh/.hidden", "123");
         },
         [&] { return sizeOf("Fresh") == folderOwnSize + 3; }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_TRUE(seen(step.change, step.shows));
    }
    EXPECT_EQ(failed, 0);
}

TEST_F(LiveDesktop, HiddenEntriesOnTheDesktopAndTheEnginesOwnReadsStartNoScan) {
    makeDir(desktop / "Box");
    startMonitoring();
    writeFile(desktop / ".hidden", "123");
    ::unlink((desktop / ".hidden").constData());
    engine.scan(); // lists and sizes: reading starts nothing either
    settle();
    EXPECT_EQ(published, 2);
}

TEST_F(LiveDesktop, ABurstOfFiveHundredChangesStartsFewScansAndEndsOnTheFinalState) {
    makeDir(desktop / "Unpacked");
    startMonitoring();
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 500; ++i) {
        writeFile(desktop / "Unpacked/part-" + QByteArray::number(i), "x");
        if (i % 3 == 0)
            writeFile(desktop / "drop-" + QByteArray::number(i), "yy");
        QCoreApplication::processEvents(); // the watcher sees the burst as it happens
        QThread::usleep(2000);
    }
    const qint64 burstMs = burst.elapsed();
    settle();
    const int scans = published - 1;
    EXPECT_GE(scans, 1);
    // Scans start at least a cool-down apart, from the burst's start until
    // one cool-down (and a scan) after its end.
    EXPECT_LE(scans, burstMs / LoadEngine::minCoolDownMs + 3) << "burst of " << burstMs << " ms";
    EXPECT_EQ(engine.fileCount(), 1 + 167);
    EXPECT_TRUE(matchesAFullScan());
}

TEST_F(LiveDesktop, FoldersComingAndGoingAreWatchedAndUnwatchedWithoutLeaks) {
    startMonitoring();
    const int descriptors = openDescriptorCount();
    const int watches = inotifyWatchCount();
    for (int i = 0; i < 1000; ++i)
        makeDir(desktop / "folder-" + QByteArray::number(i));
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 1000; }, deadlineMs));
    EXPECT_TRUE(waitUntil([&] { return inotifyWatchCount() == watches + 1000; }, deadlineMs));
    EXPECT_TRUE(seen([&] { writeFile(desktop / "folder-999/x", "abc"); },
                     [&] { return sizeOf("folder-999") >= 3; }));
    ::unlink((desktop / "folder-999/x").constData());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(::rmdir((desktop / "folder-" + QByteArray::number(i)).constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return engine.fileCount() == 0; }, deadlineMs));
    settle(500);
    EXPECT_EQ(inotifyWatchCount(), watches);
    EXPECT_EQ(openDescriptorCount(), descriptors);
}

TEST_F(LiveDesktop, OutOfWatchesTheFoldersAreLeftToTheTimerQuietly) {
    makeDir(desktop / "Box");
    engine.startMonitoring();
    LoadEngineTestHook::watcher(engine).setFolderWatchLimit(0);
    ASSERT_TRUE(waitUntil([&] { return published == 1; }));
    engine.scan(); // one scan that arms with the limit in force
    ASSERT_TRUE(waitUntil([&] { return published == 2; }));
    LoadEngineTestHook::stopTimer(engine);
    const int watches = inotifyWatchCount();
    const qint64 boxSize = sizeOf("Box");

    writeFile(desktop / "Box/unseen", "123");
    settle();
    EXPECT_EQ(sizeOf("Box"), boxSize) << "a change in an unwatched folder started a scan";
    EXPECT_TRUE(seen([&] { writeFile(desktop / "top.txt", "1"); },
                     [&] { return engine.fileCount() == 2 && sizeOf("Box") == boxSize + 3; }));
    EXPECT_EQ(failed, 0);

    // Once watches are free again, the next scan takes the folder back.
    LoadEngineTestHook::watcher(engine).setFolderWatchLimit(INT_MAX);
    EXPECT_TRUE(seen([&] { engine.scan(); }, [] { return true; }));
    EXPECT_EQ(inotifyWatchCount(), watches + 1);
    EXPECT_TRUE(seen([&] { writeFile(desktop / "Box/seen", "1234"); },
                     [&] { return sizeOf("Box") == boxSize + 7; }));
}

TEST_F(LiveDesktop, ADesktopRenamedAwayIsUnwatchedAndARecreatedOneWatchedFromTheNextScan) {
    makeDir(desktop / "Box");
    startMonitoring();
    const int watches = inotifyWatchCount();
    const QByteArray away = desktop.path() + "-away";
    ASSERT_EQ(::rename(desktop.path().constData(), away.constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return failed == 1; }, deadlineMs));
    EXPECT_EQ(inotifyWatchCount(), watches - 2);
    writeFile(away + "/Box/elsewhere", "123"); // no longer the Desktop: starts nothing
    writeFile(away + "/elsewhere", "123");
    settle();
    EXPECT_EQ(failed, 1);

    makeDir(desktop.path());
    makeDir(desktop / "Other");
    EXPECT_TRUE(seen([&] { engine.scan(); }, [&] { return engine.fileCount() == 1; }));
    EXPECT_EQ(inotifyWatchCount(), watches);
    EXPECT_TRUE(seen([&] { writeFile(desktop / "Other/x", "12345"); },
                     [&] { return sizeOf("Other") >= 5; }));
}

TEST_F(LiveDesktop, ADesktopThatIsALinkIsWatchedWhereItLeads) {
    const QByteArray real = desktop.homeBytes() + "/RealDesktop";
    ASSERT_EQ(::rmdir(desktop.path().constData()), 0);
    makeDir(real);
    makeDir(real + "/Box");
    makeLink(real, desktop.path());
    startMonitoring();
    EXPECT_TRUE(seen([&] { writeFile(real + "/new.txt", "123"); },
                     [&] { return engine.fileCount() == 2; }));
    const qint64 boxSize = sizeOf("Box");
    EXPECT_TRUE(seen([&] { writeFile(real + "/Box/inner", "12345"); },
                     [&] { return sizeOf("Box") == boxSize + 5; }));
}

TEST_F(LiveDesktop, ARemedysOwnMovesStartNoScanBeyondTheOneItEndsWith) {
    for (const char* name : {"one.mov", "two.pdf", "three.txt"})
        writeFile(desktop / name, name);
    startMonitoring();
    engine.archiveToFolder();
    ASSERT_TRUE(waitUntil([&] { return published == 2; }));
    settle();
    EXPECT_EQ(published, 2);
    EXPECT_EQ(engine.fileCount(), 1);
}

TEST_F(LiveDesktop, AnOverflowingQueueStillEndsInAScanOfTheFinalState) {
    startMonitoring();
    // While the event loop is not reading, far more events than the kernel
    // queues (16,384 by default), none of which changes the state; the one
    // change after them is lost, and only the overflow tells of it.
    for (int i = 0; i < 10'000; ++i)
        writeFile(desktop / ".hidden-" + QByteArray::number(i), {});
    writeFile(desktop / "visible.txt", "12345");
    EXPECT_TRUE(waitUntil([&] { return engine.fileCount() == 1; }, deadlineMs));
    EXPECT_TRUE(matchesAFullScan());
}

} // namespace
