#pragma once

#include "LoadModel.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QThreadPool;

// What one scan produced: the state to publish, or why the Desktop could not
// be listed.
struct ScanOutcome {
    std::optional<LoadModel::Snapshot> snapshot;
    QString error;
    qint64 cpuNs = 0;  // processor time the scan took, over all its threads
    qint64 wallNs = 0; // time from its start to its end
};

// Learns what a scan is about to read, right before it reads it, so that any
// later change there can be noticed. Called on the scan's thread.
class ScanWatch {
public:
    virtual ~ScanWatch() = default;
    // The Desktop, open as desktopFd (-1 when it cannot be opened), is about
    // to be listed.
    virtual void watchDesktop(int desktopFd) = 0;
    // These top-level folders of the Desktop open as desktopFd are about to
    // be sized.
    virtual void watchFolders(int desktopFd, const std::vector<const char*>& names) = 0;
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

    ScanOutcome run() const;

private:
    ScanOutcome scan() const;

    QByteArray m_desktopPath;
    QThreadPool* m_helperPool;
    std::shared_ptr<ScanWatch> m_watch;
};
