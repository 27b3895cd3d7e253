#pragma once

#include "DesktopScanner.h"
#include "DesktopWatcher.h"
#include "LoadEngine.h"
#include "TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// Reaches the engine's private steps, so tests can order scan results, fix the
// cleanup cutoff, silence the timer, narrow the watches and publish made-up
// results as if scans had found them.
class LoadEngineTestHook {
public:
    static quint64 beginScan(LoadEngine& engine) { return engine.beginScan(); }
    static void deliver(LoadEngine& engine, quint64 scanNumber, ScanOutcome outcome) {
        engine.deliver(scanNumber, std::move(outcome));
    }
    static QDateTime cleanupCutoff(int days, const QDateTime& now) {
        return LoadEngine::cleanupCutoff(days, now);
    }
    static void trashItemsModifiedBefore(LoadEngine& engine, const QDateTime& cutoff) {
        RemedyOutcome outcome;
        engine.trashItemsModifiedBefore(cutoff, outcome);
        engine.scan();
    }
    // The cool-down after a partial rescan that took cpuMs of processor time.
    static int coolDownAfterRescan(LoadEngine& engine, qint64 cpuMs) {
        ScanOutcome outcome;
        outcome.full = false;
        outcome.cpuNs = cpuMs * 1'000'000;
        engine.coolDownAfter(outcome);
        return engine.m_coolDown->interval();
    }
    static void stopTimer(LoadEngine& engine) { engine.m_timer->stop(); }
    static DesktopWatcher& watcher(LoadEngine& engine) { return *engine.m_watcher; }
    static void publishLoad(LoadEngine& engine, double fraction) {
        LoadEngine::Snapshot snapshot;
        snapshot.loadPercent = fraction;
        snapshot.totalBytes = qint64(fraction * double(LoadEngine::maxLoadBytes));
        snapshot.status = LoadEngine::statusFor(fraction);
        engine.publish(std::move(snapshot));
    }
};

// A private home with an empty Desktop folder in it.
class TempDesktop : public ScopedHome {
public:
    TempDesktop() : m_path(homeBytes() + "/Desktop") { QDir().mkdir(QFile::decodeName(m_path)); }

    const QByteArray& path() const { return m_path; }
    QByteArray operator/(const QByteArray& name) const { return m_path + '/' + name; }
    QByteArray homeTrash() const { return homeBytes() + "/.local/share/Trash"; }

private:
    QByteArray m_path;
};

// Whether the path exists, without following a final link.
inline bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

inline QByteArray readAll(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    return file.readAll();
}

inline void makeDir(const QByteArray& path) {
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << "cannot create " << path.constData();
}

inline void makeLink(const QByteArray& target, const QByteArray& linkPath) {
    ASSERT_EQ(::symlink(target.constData(), linkPath.constData()), 0) << linkPath.constData();
}

// Names of a folder's visible entries; Unsorted gives the file system's order.
inline QStringList entriesOf(const QByteArray& dir, QDir::SortFlags order = QDir::Name) {
    return QDir(QFile::decodeName(dir))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, order);
}

// An entry the remedies cannot move, modified at the given time: immutable
// where we may set that (as root, who passes every permission check), else a
// folder without write permission (moving it elsewhere must rewrite its "..").
class Unmovable {
public:
    Unmovable(QByteArray path, qint64 modified) : m_path(std::move(path)) {
        if (::geteuid() == 0)
            writeFile(m_path, "stuck");
        else
            makeDir(m_path);
        setModified(m_path, modified);
        lock(true);
    }
    ~Unmovable() { lock(false); }
    Unmovable(const Unmovable&) = delete;
    Unmovable& operator=(const Unmovable&) = delete;

private:
    void lock(bool locked) {
        if (::geteuid() != 0) {
            ::chmod(m_path.constData(), locked ? 0555 : 0755);
            return;
        }
        const int fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC);
        int flags = 0;
        EXPECT_EQ(::ioctl(fd, FS_IOC_GETFLAGS, &flags), 0);
        flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        EXPECT_EQ(::ioctl(fd, FS_IOC_SETFLAGS, &flags), 0) << "no immutable files here";
        ::close(fd);
    }

    QByteArray m_path;
};
