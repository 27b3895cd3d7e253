#pragma once

#include "LoadModel.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QThreadPool;

// Every entry one scan found, with what it read of each: what a partial
// rescan takes over for the parts of the Desktop that did not change.
struct DesktopListing;

// What changed on the Desktop since a scan started, as its watches tell.
struct DesktopChanges {
    bool lost = false;        // events were lost: anything may have changed
    bool desktop = false;     // the Desktop's own entries, or the Desktop itself
    std::vector<int> folders; // watches of top-level folders whose contents changed

    bool isEmpty() const { return !lost && !desktop && folders.empty(); }
    void add(const DesktopChanges& other);
    void addFolder(int watch);
};

// What one scan produced: the state to publish, or why the Desktop could not
// be listed.
struct ScanOutcome {
    std::optional<LoadModel::Snapshot> snapshot;
    QString error;
    std::shared_ptr<const DesktopListing> listing; // with the snapshot
    bool full = true;   // read the whole Desktop, not only what had changed
    qint64 startNs = 0; // CLOCK_MONOTONIC when it started
    qint64 cpuNs = 0;   // processor time the scan took, over all its threads
};

// Learns what a scan is about to read, right before it reads it, so that any
// later change there can be noticed. Called on the scan's thread.
class ScanWatch {
public:
    virtual ~ScanWatch() = default;
    // The Desktop, open as desktopFd (-1 when it cannot be opened), is about
    // to be read.
    virtual void watchDesktop(int desktopFd) = 0;
    // These top-level folders of the Desktop open as desktopFd are about to
    // be sized; the folders watched as `kept` are taken over unchanged. Any
    // other folder is no longer watched. Returns each named folder's watch,
    // -1 where it has none.
    virtual std::vector<int> watchFolders(int desktopFd, const std::vector<const char*>& names,
                                          const std::vector<int>& kept) = 0;
};

// Lists a Desktop folder on raw byte names and sizes each visible entry: a
// file or link by its own size, a folder one level deep. Runs on a background
// thread; touches no engine state.
class DesktopScanner {
public:
    // With a helper pool, one helper task there sizes folders alongside the
    // calling thread when it can start at once.
    // With a watch, the scan tells it what it reads (see ScanWatch).
    explicit DesktopScanner(QByteArray desktopPath, QThreadPool* helperPool = nullptr,
                            std::shared_ptr<ScanWatch> watch = {});

    // Reads the whole Desktop.
    ScanOutcome run() const;
    // Reads only what changed since `base` was read and takes the rest from
    // it: the changed top-level folders, plus every folder that has no watch;
    // when the Desktop's own entries changed, its listing and their attributes
    // too, with the folders that are new, renamed or changed. A Desktop that
    // is no longer the one `base` read is read whole.
    ScanOutcome rescan(const DesktopListing& base, const DesktopChanges& changes) const;

private:
    template <typename Read> ScanOutcome timed(Read&& read) const;
    ScanOutcome readAll(int desktopFd) const;
    ScanOutcome readChanges(int desktopFd, const DesktopListing& base,
                            const DesktopChanges& changes) const;
    ScanOutcome rereadDesktop(int desktopFd, const DesktopListing& base,
                              const std::vector<int>& changedFolders) const;
    qint64 sizeFolders(int desktopFd, DesktopListing& listing,
                       const std::vector<std::size_t>& folders) const;
    void armFolders(int desktopFd, DesktopListing& listing,
                    const std::vector<std::size_t>& folders) const;
    ScanOutcome outcomeOf(std::shared_ptr<DesktopListing> listing, bool full,
                          qint64 helperCpuNs) const;
    ScanOutcome failure(int error) const;

    QByteArray m_desktopPath;
    QThreadPool* m_helperPool;
    std::shared_ptr<ScanWatch> m_watch;
};
