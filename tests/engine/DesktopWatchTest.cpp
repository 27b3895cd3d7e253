// The engine following a live Desktop: changes reach a publication without
// waiting for the 20-second timer, partial rescans end on what a full scan
// finds, bursts start few scans, watches come and go with the folders, and
// nothing leaks.
#include "EngineTestSupport.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

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

// Everything a scan publishes but the ids, which every scan makes anew, one
// line per value.
QStringList describe(const LoadEngine::Snapshot& s) {
    QStringList lines{QStringLiteral("total %1 count %2 load %3 status %4")
                          .arg(s.totalBytes)
                          .arg(s.fileCount)
                          .arg(s.loadPercent, 0, 'g', 17)
                          .arg(s.status.rawValue())};
    for (const auto& item : s.topItems)
        lines.append(QStringLiteral("item %1 %2 %3 dir %4 modified %5")
                         .arg(QString::fromLatin1(item.url.toHex()), item.name)
                         .arg(item.size)
                         .arg(item.isDirectory)
                         .arg(item.modified.toMSecsSinceEpoch()));
    for (const auto& category : s.categoryBreakdown)
        lines.append(QStringLiteral("category %1 %2 colour %3")
                         .arg(category.name)
                         .arg(category.bytes)
                         .arg(int(category.color)));
    return lines;
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

    // Whether the published state equals, field by field, what a fresh full
    // scan finds now.
    ::testing::AssertionResult matchesAFullScan() const {
        LoadEngine fresh(desktop.path());
        bool done = false;
        QObject::connect(&fresh, &LoadEngine::stateChanged, [&] { done = true; });
        fresh.scan();
        if (!waitUntil([&] { return done; }, deadlineMs))
            return ::testing::AssertionFailure() << "the full scan never came";
        const QStringList shown = describe(engine.state()), scanned = describe(fresh.state());
        if (shown == scanned)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "published:\n  " << shown.join("\n  ").toStdString() << "\nfull scan:\n  "
               << scanned.join("\n  ").toStdString();
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
        {"file written in a folder as the Desktop changes",
         [&] {
             appendTo(box + "/more", "ab");
             writeFile(desktop / "aside", "1");
         },
         [&] { return sizeOf("Box") == folderOwnSize + 16 && sizeOf("aside") == 1; }},
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
        {"folder moved over an empty one",
         [&] {
             makeDir(desktop / "Hollow");
             ASSERT_TRUE(waitUntil([&] { return sizeOf("Hollow") >= 0; }, deadlineMs));
             ::rename((desktop / "Fresh").constData(), (desktop / "Hollow").constData());
         },
         [&] { return sizeOf("Fresh") < 0 && sizeOf("Hollow") == folderOwnSize + 3; }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_TRUE(seen(step.change, step.shows));
        EXPECT_TRUE(matchesAFullScan());
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

// A folder that has no watch (the system's watches ran out) starts no scan by
// itself, but every rescan sizes it again: one for a change on the Desktop and
// one for a change in a watched folder alike.
TEST_F(LiveDesktop, FoldersWithoutAWatchAreSizedAgainByEveryRescan) {
    makeDir(desktop / "Box");
    makeDir(desktop / "Crate");
    engine.startMonitoring();
    LoadEngineTestHook::watcher(engine).setFolderWatchLimit(0);
    ASSERT_TRUE(waitUntil([&] { return published == 1; }));
    const auto scanAndWait = [&] { return seen([&] { engine.scan(); }, [] { return true; }); };
    ASSERT_TRUE(scanAndWait()); // arms with the limit in force
    LoadEngineTestHook::stopTimer(engine);
    const int watches = inotifyWatchCount();
    const qint64 boxSize = sizeOf("Box");

    writeFile(desktop / "Box/unseen", "123");
    settle();
    EXPECT_EQ(sizeOf("Box"), boxSize) << "a change in an unwatched folder started a scan";
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        writeFile(desktop / "Box/unseen", QByteArray(3 * round, 'x'));
        EXPECT_TRUE(seen([&] { writeFile(desktop / "top-" + QByteArray::number(round), "1"); },
                         [&] { return sizeOf("Box") == boxSize + 3 * round; }));
    }

    // With one watch to spare, one folder is watched: a change there shows a
    // change in the other as well, whichever of the two it is.
    LoadEngineTestHook::watcher(engine).setFolderWatchLimit(1);
    ASSERT_TRUE(scanAndWait());
    EXPECT_EQ(inotifyWatchCount(), watches + 1);
    for (const char* name : {"a", "b"}) {
        SCOPED_TRACE(name);
        const qint64 box = sizeOf("Box"), crate = sizeOf("Crate");
        EXPECT_TRUE(seen(
            [&] {
                writeFile(desktop / "Box/" + name, "1234");
                writeFile(desktop / "Crate/" + name, "12345");
            },
            [&] { return sizeOf("Box") == box + 4 && sizeOf("Crate") == crate + 5; }));
    }
    EXPECT_EQ(failed, 0);

    // Once watches are free again, the next scan takes every folder back.
    LoadEngineTestHook::watcher(engine).setFolderWatchLimit(INT_MAX);
    ASSERT_TRUE(scanAndWait());
    EXPECT_EQ(inotifyWatchCount(), watches + 2);
    const qint64 box = sizeOf("Box");
    EXPECT_TRUE(seen([&] { writeFile(desktop / "Box/seen", "1234"); },
                     [&] { return sizeOf("Box") == box + 4; }));
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

// Several hundred changes of every kind, made while the engine follows them;
// after each quiet second the published state is exactly a full scan's.
class RandomChanges {
public:
    RandomChanges(const TempDesktop& desktop, unsigned seed) : m_desktop(desktop), m_random(seed) {}

    void makeOne() {
        const QByteArray fresh =
            m_desktop / (place() + "f" + QByteArray::number(m_next++) + pickExtension());
        const QByteArray file = existingFile();
        const unsigned kind = m_random() % 8;
        if (kind == 7)
            return changeAFolder();
        if (kind < 2 || file.isEmpty()) // a new file, on the Desktop or in a folder
            return writeFile(fresh, QByteArray(int(m_random() % 5000), 'x'));
        if (kind == 2) // written and closed
            appendTo(file, QByteArray(int(m_random() % 3000), 'y'));
        else if (kind == 3)
            ASSERT_EQ(::truncate(file.constData(), off_t(m_random() % 100)), 0);
        else if (kind == 4) // moved across folders, onto or off the Desktop
            ASSERT_EQ(::rename(file.constData(), fresh.constData()), 0);
        else if (kind == 5)
            ASSERT_EQ(::unlink(file.constData()), 0);
        else
            setModified(file, 1'000'000'000 + qint64(m_random() % 100'000'000));
    }

private:
    // A new folder, a folder renamed, a folder moved over an empty one, or a
    // folder replaced by a file of the same name.
    void changeAFolder() {
        const QByteArray name = "D" + QByteArray::number(m_next++) + pickExtension();
        if (m_folders.size() < 3 || m_random() % 4 == 0) {
            makeDir(m_desktop / name);
            m_folders.append(name);
            return;
        }
        const qsizetype i = qsizetype(m_random() % quint64(m_folders.size()));
        const QByteArray folder = m_desktop / m_folders[i];
        switch (m_random() % 3) {
        case 0:
            ASSERT_EQ(::rename(folder.constData(), (m_desktop / name).constData()), 0);
            m_folders[i] = name;
            break;
        case 1: // fails unless the other one is empty
            if (const QByteArray other = pick(m_folders);
                other != m_folders[i] &&
                ::rename(folder.constData(), (m_desktop / other).constData()) == 0)
                m_folders.removeAt(i);
            break;
        default:
            QDir(QFile::decodeName(folder)).removeRecursively();
            writeFile(folder, QByteArray(int(m_random() % 2000), 'z'));
            m_folders.removeAt(i);
        }
    }

    QByteArray existingFile() {
        const QByteArray dir = m_desktop / place();
        const QStringList files = QDir(QFile::decodeName(dir)).entryList(QDir::Files);
        if (files.isEmpty())
            return {};
        return dir + '/' + QFile::encodeName(files[qsizetype(m_random() % quint64(files.size()))]);
    }

    // The Desktop itself ("") or one of its folders ("name/").
    QByteArray place() {
        const std::size_t i = m_random() % std::size_t(m_folders.size() + 1);
        return i == 0 ? QByteArray() : m_folders[qsizetype(i - 1)] + '/';
    }

    QByteArray pick(const QByteArrayList& from) {
        return from[qsizetype(m_random() % quint64(from.size()))];
    }

    QByteArray pickExtension() { return pick({"", ".png", ".PDF", ".mkv", ".zip", ".txt"}); }

    const TempDesktop& m_desktop;
    std::mt19937 m_random;
    QByteArrayList m_folders;
    int m_next = 0;
};

TEST_F(LiveDesktop, AfterHundredsOfRandomChangesTheStateIsExactlyAFullScans) {
    const unsigned seed = std::random_device()();
    SCOPED_TRACE(seed);
    RandomChanges changes(desktop, seed);
    startMonitoring();
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 100; ++i) {
            changes.makeOne();
            QCoreApplication::processEvents(); // rescans run amid the changes
            if (i % 10 == 0)
                QThread::usleep(20'000);
        }
        settle();
        EXPECT_TRUE(matchesAFullScan()) << "after round " << round;
    }
    EXPECT_EQ(failed, 0);
}

// What the watches cannot see (a file written through a hard link from
// outside the Desktop, a subfolder's own size growing) does not show by a
// rescan of another folder, and shows by the next full scan.
TEST_F(LiveDesktop, WhatTheWatchesCannotSeeShowsByTheNextFullScan) {
    const QByteArray outside = desktop.homeBytes() + "/outside.bin";
    writeFile(outside, "1234");
    ASSERT_EQ(::link(outside.constData(), (desktop / "linked.bin").constData()), 0);
    makeDir(desktop / "Box");
    makeDir(desktop / "Box/sub");
    makeDir(desktop / "Crate");
    startMonitoring();
    const qint64 linked = sizeOf("linked.bin"), box = sizeOf("Box"), crate = sizeOf("Crate");
    struct stat sub {};
    ASSERT_EQ(::stat((desktop / "Box/sub").constData(), &sub), 0);
    const off_t subSize = sub.st_size;

    appendTo(outside, QByteArray(1000, 'x'));
    for (int i = 0; sub.st_size == subSize && i < 2000; ++i) {
        writeFile(desktop / "Box/sub/" + QByteArray(200, 'n') + QByteArray::number(i));
        ASSERT_EQ(::stat((desktop / "Box/sub").constData(), &sub), 0);
    }
    ASSERT_GT(sub.st_size, subSize);
    EXPECT_TRUE(seen([&] { writeFile(desktop / "Crate/visible", "12"); },
                     [&] { return sizeOf("Crate") == crate + 2; }));
    EXPECT_EQ(sizeOf("linked.bin"), linked);
    EXPECT_EQ(sizeOf("Box"), box);
    EXPECT_TRUE(seen([&] { engine.scan(); },
                     [&] {
                         return sizeOf("linked.bin") == linked + 1000 &&
                                sizeOf("Box") == box + sub.st_size - subSize;
                     }));
    EXPECT_TRUE(matchesAFullScan());
}

// A rescan starts from the newest scan's result: changes made while that scan
// runs wait for it, are rescanned once it is done and end on a full scan's
// state; no publication in between goes back.
TEST_F(LiveDesktop, ChangesDuringARunningScanAreRescannedOnceItIsDone) {
    makeDir(desktop / "Box");
    makeDir(desktop / "Crate");
    startMonitoring();
    QList<qint64> totals;
    QObject::connect(&engine, &LoadEngine::stateChanged,
                     [&] { totals.append(engine.totalBytes()); });
    const quint64 running = LoadEngineTestHook::beginScan(engine);
    writeFile(desktop / "Box/early", "1");
    ScanOutcome early = DesktopScanner(desktop.path()).run();
    writeFile(desktop / "Crate/late", "22");
    writeFile(desktop / "late.txt", "333");
    settle(500);
    EXPECT_TRUE(totals.isEmpty()) << "a rescan started while a scan was running";

    LoadEngineTestHook::deliver(engine, running, std::move(early));
    EXPECT_TRUE(waitUntil([&] { return engine.fileCount() == 3; }, deadlineMs));
    settle();
    EXPECT_TRUE(matchesAFullScan());
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));
    EXPECT_GE(totals.size(), 2);
}

} // namespace
