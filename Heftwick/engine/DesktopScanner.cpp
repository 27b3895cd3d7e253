#include "DesktopScanner.h"

#include "Classification.h"
#include "PosixFs.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QThreadPool>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <latch>
#include <memory>
#include <numeric>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <vector>

namespace {

// One top-level entry, kept compact: its name lives in a shared byte arena.
struct Entry {
    std::size_t nameOffset = 0; // NUL-terminated in the arena
    std::size_t nameLength = 0;
    qint64 size = 0;
    qint64 modifiedMSecs = 0;
    bool isDirectory = false;
};

struct Listing {
    std::string names;
    std::vector<Entry> entries;

    const char* name(const Entry& e) const { return names.data() + e.nameOffset; }
    std::string_view nameView(const Entry& e) const { return {name(e), e.nameLength}; }
};

constexpr std::size_t direntBufferSize = 64 * 1024;

struct DirentBuffer {
    alignas(dirent64) char bytes[direntBufferSize];
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls visit(name) for each entry of an open directory except "." and "..",
// in the order the file system returns them. False when listing fails.
template <typename Visit> bool forEachEntry(int dirFd, DirentBuffer& buffer, Visit&& visit) {
    for (;;) {
        const ssize_t length = ::getdents64(dirFd, buffer.bytes, sizeof buffer.bytes);
        if (length == 0)
            return true;
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t pos = 0; pos < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.bytes + pos);
            pos += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name))
                visit(entry->d_name);
        }
    }
}

// A folder's size one level deep: the sum of its immediate entries' own sizes,
// hidden ones included; subfolders count with their own size and are not
// entered. A folder that cannot be listed counts as 0.
qint64 folderSize(int parentFd, const char* name, DirentBuffer& buffer) {
    const PosixFs::UniqueFd dir = PosixFs::openDirectory(parentFd, name, true);
    if (!dir.valid())
        return 0;
    qint64 sum = 0;
    struct stat st {};
    const bool listed = forEachEntry(dir.get(), buffer, [&](const char* entryName) {
        if (::fstatat(dir.get(), entryName, &st, AT_SYMLINK_NOFOLLOW) == 0)
            sum += st.st_size;
    });
    return listed ? sum : 0;
}

// The positions of the listing's folders.
std::vector<std::size_t> foldersOf(const Listing& listing) {
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < listing.entries.size(); ++i)
        if (listing.entries[i].isDirectory)
            folders.push_back(i);
    return folders;
}

// Sizes the top-level folders. The calling thread and at most one helper
// take folders one at a time; the caller returns once every folder is done.
class FolderWork {
public:
    FolderWork(int dirFd, Listing& listing)
        : m_dirFd(dirFd), m_listing(listing), m_folders(foldersOf(listing)),
          m_remaining(std::ptrdiff_t(m_folders.size())) {}

    std::size_t folderCount() const { return m_folders.size(); }

    std::vector<const char*> folderNames() const {
        std::vector<const char*> names;
        names.reserve(m_folders.size());
        for (const std::size_t i : m_folders)
            names.push_back(m_listing.name(m_listing.entries[i]));
        return names;
    }

    // Sizes folders until none is left unclaimed. A helper that starts after
    // the last folder was claimed touches nothing else.
    void work() { work(nullptr); }
    // The same on a helper thread, which counts the processor time it spends.
    void helpWork() { work(&m_helperCpuNs); }

    void waitUntilDone() { m_remaining.wait(); }
    // Read once waitUntilDone() has returned.
    qint64 helperCpuNs() const { return m_helperCpuNs.load(); }

private:
    void work(std::atomic<qint64>* cpuNs) {
        const qint64 start = cpuNs ? PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID) : 0;
        std::unique_ptr<DirentBuffer> buffer;
        for (std::size_t i = m_next.fetch_add(1); i < m_folders.size(); i = m_next.fetch_add(1)) {
            if (!buffer)
                buffer = std::make_unique<DirentBuffer>();
            Entry& entry = m_listing.entries[m_folders[i]];
            entry.size = folderSize(m_dirFd, m_listing.name(entry), *buffer);
            // Counted before the folder is done, so the caller sees it.
            if (cpuNs)
                cpuNs->store(PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID) - start);
            m_remaining.count_down();
        }
    }

    const int m_dirFd;
    Listing& m_listing;
    const std::vector<std::size_t> m_folders;
    std::atomic<std::size_t> m_next{0};
    std::latch m_remaining;
    std::atomic<qint64> m_helperCpuNs{0};
};

QString describeError(const QByteArray& path, int error) {
    return QFile::decodeName(path) + QStringLiteral(": ") +
           QString::fromStdString(std::generic_category().message(error));
}

// Lists the Desktop's visible entries with their own attributes (links are
// never followed). An entry whose attributes cannot be read counts as a
// non-folder of size 0, modified now.
bool listDesktop(int dirFd, DirentBuffer& buffer, Listing& listing) {
    struct stat st {};
    return forEachEntry(dirFd, buffer, [&](const char* name) {
        if (name[0] == '.')
            return; // hidden
        Entry entry;
        entry.nameOffset = listing.names.size();
        entry.nameLength = std::strlen(name);
        listing.names.append(name, entry.nameLength + 1);
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.size = st.st_size;
            entry.modifiedMSecs = PosixFs::modifiedMSecs(st);
        } else {
            entry.modifiedMSecs = QDateTime::currentMSecsSinceEpoch();
        }
        listing.entries.push_back(entry);
    });
}

QList<LoadModel::FileItem> heaviestItems(const QByteArray& desktopPath, const Listing& listing) {
    const auto& entries = listing.entries;
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return entries[a].size > entries[b].size;
    });
    order.resize(std::min(order.size(), std::size_t(LoadModel::topItemLimit)));

    QList<LoadModel::FileItem> items;
    for (const std::size_t i : order) {
        const Entry& e = entries[i];
        const QByteArray rawName(listing.name(e), qsizetype(e.nameLength));
        items.append(LoadModel::FileItem(PosixFs::childPath(desktopPath, rawName),
                                         QFile::decodeName(rawName), e.size, e.isDirectory,
                                         QDateTime::fromMSecsSinceEpoch(e.modifiedMSecs)));
    }
    return items;
}

// Per-category totals, most bytes first; a category any entry fell into is
// listed even when its total is 0.
QList<LoadModel::Category> breakdown(const Listing& listing) {
    std::array<qint64, Classification::categoryCount> totals{};
    std::array<bool, Classification::categoryCount> present{};
    for (const Entry& e : listing.entries) {
        const int index = Classification::indexForRawName(listing.nameView(e), e.isDirectory);
        totals[std::size_t(index)] += e.size;
        present[std::size_t(index)] = true;
    }
    QList<LoadModel::Category> categories;
    for (int i = 0; i < Classification::categoryCount; ++i)
        if (present[std::size_t(i)])
            categories.append(LoadModel::Category(Classification::name(i), totals[std::size_t(i)],
                                                  Classification::color(i)));
    std::stable_sort(categories.begin(), categories.end(),
                     [](const auto& a, const auto& b) { return a.bytes > b.bytes; });
    return categories;
}

LoadModel::Snapshot snapshotOf(const QByteArray& desktopPath, const Listing& listing) {
    LoadModel::Snapshot snapshot;
    for (const Entry& e : listing.entries)
        snapshot.totalBytes += e.size;
    snapshot.fileCount = qint64(listing.entries.size());
    snapshot.loadPercent = LoadModel::loadFraction(snapshot.totalBytes);
    snapshot.topItems = heaviestItems(desktopPath, listing);
    snapshot.categoryBreakdown = breakdown(listing);
    snapshot.status = LoadModel::statusFor(snapshot.loadPercent);
    return snapshot;
}

} // namespace

DesktopScanner::DesktopScanner(QByteArray desktopPath, QThreadPool* helperPool,
                               std::shared_ptr<ScanWatch> watch)
    : m_desktopPath(std::move(desktopPath)), m_helperPool(helperPool), m_watch(std::move(watch)) {}

ScanOutcome DesktopScanner::run() const {
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuStart = PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID);
    ScanOutcome outcome = scan();
    outcome.cpuNs += PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    outcome.wallNs = wall.nsecsElapsed();
    return outcome;
}

ScanOutcome DesktopScanner::scan() const {
    // The Desktop itself may be a symbolic link: that is where it lives.
    const PosixFs::UniqueFd desktop =
        PosixFs::openDirectory(AT_FDCWD, m_desktopPath.constData(), false);
    const int openError = errno;
    if (m_watch)
        m_watch->watchDesktop(desktop.get());
    if (!desktop.valid())
        return {std::nullopt, describeError(m_desktopPath, openError)};

    Listing listing;
    {
        auto buffer = std::make_unique<DirentBuffer>();
        if (!listDesktop(desktop.get(), *buffer, listing))
            return {std::nullopt, describeError(m_desktopPath, errno)};
    }

    auto work = std::make_shared<FolderWork>(desktop.get(), listing);
    if (m_watch)
        m_watch->watchFolders(desktop.get(), work->folderNames());
    if (m_helperPool && work->folderCount() > 1)
        m_helperPool->tryStart([work] { work->helpWork(); });
    work->work();
    work->waitUntilDone();

    return {snapshotOf(m_desktopPath, listing), QString(), work->helperCpuNs()};
}
