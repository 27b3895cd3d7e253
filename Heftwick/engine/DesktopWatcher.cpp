#include "DesktopWatcher.h"

#include <QSocketNotifier>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// What changes a published scan: entries coming, going, renamed, written,
// truncated or touched on the Desktop, and the Desktop itself going away.
constexpr uint32_t desktopEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;
// What changes a folder's size one level deep: its entries coming, going,
// renamed, written or truncated. The folder is the one listed, never a link.
constexpr uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_CLOSE_WRITE | IN_MODIFY | IN_ONLYDIR | IN_DONT_FOLLOW;

// The path of an open folder, or of an entry in it, that names exactly the
// folder a scan opened, whatever has been renamed since.
std::string pathUnder(int dirFd, const char* name = nullptr) {
    std::string path = "/proc/self/fd/" + std::to_string(dirFd);
    if (name)
        path.append("/").append(name);
    return path;
}

} // namespace

// The inotify instance and its watches, shared by the watcher and the scans
// that arm it. Arming happens on scan threads under the lock; the main
// thread only reads events, and asks under the lock only to close.
class DesktopWatcher::Watches {
public:
    Watches() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~Watches() { close(); }
    Watches(const Watches&) = delete;
    Watches& operator=(const Watches&) = delete;

    int fd() const { return m_fd; }
    int desktopWatch() const { return m_desktopWd.load(std::memory_order_relaxed); }

    void close() {
        const std::lock_guard lock(m_mutex);
        if (m_fd >= 0)
            ::close(m_fd); // drops every watch with it
        m_fd = -1;
        m_desktopWd = -1;
        m_folderWds.clear();
    }

    void setFolderLimit(int limit) {
        const std::lock_guard lock(m_mutex);
        m_folderLimit = std::max(0, limit);
    }

    // The Desktop that scan opened; -1 when it could not: then nothing is
    // watched until a scan opens a Desktop again.
    void armDesktop(quint64 scanNumber, int desktopFd) {
        const std::lock_guard lock(m_mutex);
        if (m_fd < 0 || scanNumber < m_armedScan)
            return;
        m_armedScan = scanNumber;
        const int wd = desktopFd >= 0
                           ? ::inotify_add_watch(m_fd, pathUnder(desktopFd).c_str(), desktopEvents)
                           : -1;
        if (wd == m_desktopWd)
            return;
        // A Desktop renamed away, replaced or gone: its old watches go with it,
        // folders included; the listing that follows arms them again.
        removeWatch(m_desktopWd);
        for (const int folder : m_folderWds)
            if (folder != wd)
                removeWatch(folder);
        m_folderWds.clear();
        m_desktopWd = wd;
    }

    // The top-level folders that scan is about to size, with the watches it
    // keeps; any other folder is unwatched. Skipped when a later scan has
    // armed since. Returns each named folder's watch, -1 where it has none.
    std::vector<int> armFolders(quint64 scanNumber, int desktopFd,
                                const std::vector<const char*>& names, std::vector<int> kept) {
        std::vector<int> watches(names.size(), -1);
        const std::lock_guard lock(m_mutex);
        if (m_fd < 0 || scanNumber != m_armedScan || m_desktopWd < 0)
            return watches;
        std::sort(kept.begin(), kept.end());
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (kept.size() >= std::size_t(m_folderLimit))
                break;
            const int wd =
                ::inotify_add_watch(m_fd, pathUnder(desktopFd, names[i]).c_str(), folderEvents);
            if (wd >= 0 && wd != m_desktopWd) {
                watches[i] = wd;
                kept.insert(std::lower_bound(kept.begin(), kept.end(), wd), wd);
            } else if (wd < 0 && errno == ENOSPC) {
                break; // out of watches: the rest stays unwatched
            }
        }
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        for (const int wd : m_folderWds)
            if (!std::binary_search(kept.begin(), kept.end(), wd))
                removeWatch(wd);
        m_folderWds = std::move(kept);
        return watches;
    }

private:
    void removeWatch(int wd) {
        if (wd >= 0)
            ::inotify_rm_watch(m_fd, wd);
    }

    std::mutex m_mutex;
    int m_fd;
    std::atomic<int> m_desktopWd{-1};
    std::vector<int> m_folderWds; // sorted
    quint64 m_armedScan = 0;
    int m_folderLimit = INT_MAX;
};

// One scan's hold on the watches; it keeps nothing alive.
class DesktopWatcher::Arming : public ScanWatch {
public:
    Arming(std::weak_ptr<Watches> watches, quint64 scanNumber)
        : m_watches(std::move(watches)), m_scanNumber(scanNumber) {}

    void watchDesktop(int desktopFd) override {
        if (const auto watches = m_watches.lock())
            watches->armDesktop(m_scanNumber, desktopFd);
    }
    std::vector<int> watchFolders(int desktopFd, const std::vector<const char*>& names,
                                  const std::vector<int>& kept) override {
        if (const auto watches = m_watches.lock())
            return watches->armFolders(m_scanNumber, desktopFd, names, kept);
        return std::vector<int>(names.size(), -1);
    }

private:
    std::weak_ptr<Watches> m_watches;
    quint64 m_scanNumber;
};

namespace {

// Adds what one event tells of a change to what a scan publishes. Removing a
// watch (IN_IGNORED) changes nothing by itself, and hidden entries directly
// on the Desktop are never counted; hidden entries inside folders are.
void addChange(DesktopChanges& changes, const inotify_event& event, int desktopWd) {
    if (event.mask & IN_Q_OVERFLOW)
        changes.lost = true; // events were lost: anything may have changed
    else if (event.mask & IN_IGNORED)
        return;
    else if (event.wd != desktopWd)
        changes.addFolder(event.wd);
    else if (event.len == 0 || event.name[0] != '.')
        changes.desktop = true;
}

} // namespace

DesktopWatcher::DesktopWatcher(QObject* parent)
    : QObject(parent), m_watches(std::make_shared<Watches>()) {
    if (!isValid())
        return;
    m_notifier = new QSocketNotifier(m_watches->fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DesktopWatcher::readEvents);
}

DesktopWatcher::~DesktopWatcher() {
    delete m_notifier;
    m_watches->close();
}

bool DesktopWatcher::isValid() const {
    return m_watches->fd() >= 0;
}

std::shared_ptr<ScanWatch> DesktopWatcher::watchFor(quint64 scanNumber) const {
    return std::make_shared<Arming>(m_watches, scanNumber);
}

void DesktopWatcher::setFolderWatchLimit(int limit) {
    m_watches->setFolderLimit(limit);
}

const DesktopChanges& DesktopWatcher::pendingChanges() {
    readQueue();
    return m_pending;
}

DesktopChanges DesktopWatcher::takeChanges() {
    readQueue();
    return std::exchange(m_pending, {});
}

void DesktopWatcher::readQueue() {
    if (!isValid())
        return;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_watches->fd(), buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            return; // EAGAIN: the queue is empty
        const int desktopWd = m_watches->desktopWatch();
        for (ssize_t pos = 0; pos < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
            pos += ssize_t(sizeof(inotify_event) + event->len);
            addChange(m_pending, *event, desktopWd);
        }
    }
}

void DesktopWatcher::setPaused(bool paused) {
    if (m_notifier)
        m_notifier->setEnabled(!paused);
}

void DesktopWatcher::readEvents() {
    readQueue();
    if (!m_pending.isEmpty())
        emit changed();
}
