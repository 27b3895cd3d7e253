#pragma once

#include "DesktopScanner.h"

#include <QObject>
#include <memory>

class QSocketNotifier;

// Notices changes on the Desktop and directly inside its top-level folders
// through one inotify instance, and tells of them by changed().
//
// Watches are armed by the scans themselves, on their own threads: a scan
// watches the Desktop it opened before listing it, and the top-level folders
// it is about to size before sizing them, so any change after that raises an
// event and nothing between the scan's view and the watch is missed. Folders
// that are gone from a scan's listing are unwatched by it. Events tell which
// watch saw them, so a change is known as one on the Desktop itself or inside
// one folder. Where the system runs out of watches, the rest stays unwatched:
// every rescan sizes those folders again.
//
// The event queue is read in the main thread's event loop; reading it never
// touches the disk.
class DesktopWatcher : public QObject {
    Q_OBJECT

public:
    explicit DesktopWatcher(QObject* parent = nullptr);
    ~DesktopWatcher() override;

    // False when the system gave no inotify instance: nothing is watched.
    bool isValid() const;

    // Arms the watches from what the scan numbered scanNumber lists. Arming
    // by a scan older than the last one that armed is skipped. Safe to use on
    // any thread, also after the watcher is gone (it then does nothing).
    std::shared_ptr<ScanWatch> watchFor(quint64 scanNumber) const;

    // The changes that the events queued so far report, together with those
    // read earlier and not yet taken.
    const DesktopChanges& pendingChanges();
    // The same, handed over: they are no longer pending.
    DesktopChanges takeChanges();

    // While paused, events wait in the queue and changed() is not emitted;
    // when resumed, events already waiting are told of at once.
    void setPaused(bool paused);

    // Watches at most this many top-level folders, as if the system's watches
    // ran out there; for tests.
    void setFolderWatchLimit(int limit);

signals:
    // While not paused: something on the Desktop, or directly in one of its
    // watched folders, changed (or events were lost because the queue
    // overflowed); the change is pending.
    void changed();

private:
    class Watches;
    class Arming;

    void readQueue();
    void readEvents();

    std::shared_ptr<Watches> m_watches;
    QSocketNotifier* m_notifier = nullptr;
    DesktopChanges m_pending;
};
