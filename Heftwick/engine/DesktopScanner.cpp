#include "DesktopScanner.h"

#include "Classification.h"
#include "PosixFs.h"

#include <QDateTime>
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
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <time.h>
#include <unordered_map>
#include <vector>

struct DesktopListing {
    // Which object an entry is, and what changes whenever its entries do.
    struct Stamp {
        dev_t dev = 0;
        ino_t ino = 0;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;

        bool sameObject(const Stamp& other) const { return dev == other.dev && ino == other.ino; }
        bool operator==(const Stamp& other) const = default;
    };

    // One top-level entry, kept compact: its name lives in the shared arena.
    struct Entry {
        std::size_t nameOffset = 0; // NUL-terminated in names
        std::size_t nameLength = 0;
        qint64 size = 0;
        qint64 modifiedMSecs = 0;
        bool isDirectory = false;
        int category = Classification::otherIndex;
        Stamp stamp;    // for folders: whether one is still the folder sized
        int watch = -1; // for folders: the watch on it, -1 when it has none
    };

    Stamp desktop; // the Desktop folder itself
    std::string names;
    std::vector<Entry> entries;

    const char* name(const Entry& e) const { return names.data() + e.nameOffset; }
    std::string_view nameView(const Entry& e) const { return {name(e), e.nameLength}; }
};

void DesktopChanges::add(const DesktopChanges& other) {
    lost = lost || other.lost;
    desktop = desktop || other.desktop;
    for (const int watch : other.folders)
        addFolder(watch);
}

void DesktopChanges::addFolder(int watch) {
    const auto at = std::lower_bound(folders.begin(), folders.end(), watch);
    if (at == folders.end() || *at != watch)
        folders.insert(at, watch);
}

namespace {

using Entry = DesktopListing::Entry;
using Stamp = DesktopListing::Stamp;

constexpr std::size_t direntBufferSize = 64 * 1024;

struct DirentBuffer {
    alignas(dirent64) char bytes[direntBufferSize];
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

Stamp stampOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
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
std::vector<std::size_t> foldersOf(const DesktopListing& listing) {
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < listing.entries.size(); ++i)
        if (listing.entries[i].isDirectory)
            folders.push_back(i);
    return folders;
}

// Sizes the given top-level folders. The calling thread and at most one
// helper take folders one at a time; the caller returns once every folder is
// done.
class FolderWork {
public:
    FolderWork(int dirFd, DesktopListing& listing, std::vector<std::size_t> folders)
        : m_dirFd(dirFd), m_listing(listing), m_folders(std::move(folders)),
          m_remaining(std::ptrdiff_t(m_folders.size())) {}

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
    DesktopListing& m_listing;
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
bool listDesktop(int dirFd, DesktopListing& listing) {
    struct stat st {};
    if (::fstat(dirFd, &st) != 0)
        return false;
    listing.desktop = stampOf(st);
    auto buffer = std::make_unique<DirentBuffer>();
    return forEachEntry(dirFd, *buffer, [&](const char* name) {
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
            entry.stamp = stampOf(st);
        } else {
            entry.modifiedMSecs = QDateTime::currentMSecsSinceEpoch();
        }
        entry.category =
            Classification::indexForRawName(listing.nameView(entry), entry.isDirectory);
        listing.entries.push_back(entry);
    });
}

bool isSameDesktop(int dirFd, const DesktopListing& base) {
    struct stat st {};
    return ::fstat(dirFd, &st) == 0 && stampOf(st).sameObject(base.desktop);
}

// The folders a partial rescan sizes again when the Desktop's own entries did
// not change: those whose watch reported a change, and those without a watch.
std::vector<std::size_t> foldersToResize(const DesktopListing& listing,
                                         const std::vector<int>& changedFolders) {
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        const Entry& e = listing.entries[i];
        if (e.isDirectory && (e.watch < 0 || std::binary_search(changedFolders.begin(),
                                                                changedFolders.end(), e.watch)))
            folders.push_back(i);
    }
    return folders;
}

// Reads these folders' own attributes again; false when one of them is gone
// or no longer the folder that was listed.
bool restatFolders(int dirFd, DesktopListing& listing, const std::vector<std::size_t>& folders) {
    struct stat st {};
    for (const std::size_t i : folders) {
        Entry& e = listing.entries[i];
        if (::fstatat(dirFd, listing.name(e), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(st.st_mode) || !stampOf(st).sameObject(e.stamp))
            return false;
        e.modifiedMSecs = PosixFs::modifiedMSecs(st);
        e.stamp = stampOf(st);
    }
    return true;
}

// Takes over from base the size and watch of each folder that is still the
// same folder under the same name, unchanged and watched, and that no watch
// reported; returns the positions of the other folders, which need sizing.
std::vector<std::size_t> takeOverUnchangedFolders(DesktopListing& listing,
                                                  const DesktopListing& base,
                                                  const std::vector<int>& changedFolders) {
    std::unordered_map<std::string_view, const Entry*> baseFolders;
    for (const Entry& e : base.entries)
        if (e.isDirectory && e.watch >= 0 &&
            !std::binary_search(changedFolders.begin(), changedFolders.end(), e.watch))
            baseFolders.emplace(base.nameView(e), &e);
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        Entry& e = listing.entries[i];
        if (!e.isDirectory)
            continue;
        const auto found = baseFolders.find(listing.nameView(e));
        if (found != baseFolders.end() && found->second->stamp == e.stamp) {
            e.size = found->second->size;
            e.watch = found->second->watch;
        } else {
            folders.push_back(i);
        }
    }
    return folders;
}

// The heaviest entries, heaviest first; entries of equal size keep their
// listing order.
std::vector<std::size_t> heaviest(const std::vector<Entry>& entries) {
    const auto heavier = [&](std::size_t a, std::size_t b) {
        return entries[a].size > entries[b].size;
    };
    const std::size_t limit = LoadModel::topItemLimit;
    std::vector<std::size_t> top;
    top.reserve(limit + 1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (top.size() == limit && !heavier(i, top.back()))
            continue;
        top.insert(std::upper_bound(top.begin(), top.end(), i, heavier), i);
        if (top.size() > limit)
            top.pop_back();
    }
    return top;
}

QList<LoadModel::FileItem> heaviestItems(const QByteArray& desktopPath,
                                         const DesktopListing& listing) {
    QList<LoadModel::FileItem> items;
    for (const std::size_t i : heaviest(listing.entries)) {
        const Entry& e = listing.entries[i];
        const QByteArray rawName(listing.name(e), qsizetype(e.nameLength));
        items.append(LoadModel::FileItem(PosixFs::childPath(desktopPath, rawName),
                                         QFile::decodeName(rawName), e.size, e.isDirectory,
                                         QDateTime::fromMSecsSinceEpoch(e.modifiedMSecs)));
    }
    return items;
}

// Per-category totals, most bytes first; a category any entry fell into is
// listed even when its total is 0.
QList<LoadModel::Category> breakdown(const DesktopListing& listing) {
    std::array<qint64, Classification::categoryCount> totals{};
    std::array<bool, Classification::categoryCount> present{};
    for (const Entry& e : listing.entries) {
        totals[std::size_t(e.category)] += e.size;
        present[std::size_t(e.category)] = true;
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

LoadModel::Snapshot snapshotOf(const QByteArray& desktopPath, const DesktopListing& listing) {
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
    return timed([&](int desktopFd) { return readAll(desktopFd); });
}

ScanOutcome DesktopScanner::rescan(const DesktopListing& base,
                                   const DesktopChanges& changes) const {
    return timed([&](int desktopFd) { return readChanges(desktopFd, base, changes); });
}

// Opens the Desktop, has read() read it, and times the whole.
template <typename Read> ScanOutcome DesktopScanner::timed(Read&& read) const {
    const qint64 startNs = PosixFs::clockNs(CLOCK_MONOTONIC);
    const qint64 cpuStartNs = PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID);
    ScanOutcome outcome;
    {
        // The Desktop itself may be a symbolic link: that is where it lives.
        const PosixFs::UniqueFd desktop =
            PosixFs::openDirectory(AT_FDCWD, m_desktopPath.constData(), false);
        const int openError = errno;
        if (m_watch)
            m_watch->watchDesktop(desktop.get());
        outcome = desktop.valid() ? read(desktop.get()) : failure(openError);
    }
    outcome.startNs = startNs;
    outcome.cpuNs += PosixFs::clockNs(CLOCK_THREAD_CPUTIME_ID) - cpuStartNs;
    return outcome;
}

ScanOutcome DesktopScanner::readAll(int desktopFd) const {
    auto listing = std::make_shared<DesktopListing>();
    if (!listDesktop(desktopFd, *listing))
        return failure(errno);
    const std::vector<std::size_t> folders = foldersOf(*listing);
    const qint64 helperCpuNs = sizeFolders(desktopFd, *listing, folders);
    return outcomeOf(std::move(listing), true, helperCpuNs);
}

ScanOutcome DesktopScanner::readChanges(int desktopFd, const DesktopListing& base,
                                        const DesktopChanges& changes) const {
    if (changes.lost || !isSameDesktop(desktopFd, base))
        return readAll(desktopFd);
    if (changes.desktop)
        return rereadDesktop(desktopFd, base, changes.folders);
    auto listing = std::make_shared<DesktopListing>(base);
    const std::vector<std::size_t> folders = foldersToResize(*listing, changes.folders);
    // A folder renamed or replaced meanwhile: the Desktop's own events about
    // it may still be on their way, so its listing is read now.
    if (!restatFolders(desktopFd, *listing, folders))
        return rereadDesktop(desktopFd, base, changes.folders);
    const qint64 helperCpuNs = sizeFolders(desktopFd, *listing, folders);
    return outcomeOf(std::move(listing), false, helperCpuNs);
}

ScanOutcome DesktopScanner::rereadDesktop(int desktopFd, const DesktopListing& base,
                                          const std::vector<int>& changedFolders) const {
    auto listing = std::make_shared<DesktopListing>();
    if (!listDesktop(desktopFd, *listing))
        return failure(errno);
    const std::vector<std::size_t> folders =
        takeOverUnchangedFolders(*listing, base, changedFolders);
    const qint64 helperCpuNs = sizeFolders(desktopFd, *listing, folders);
    return outcomeOf(std::move(listing), false, helperCpuNs);
}

// Watches the folders, then sizes them; the watches of the listing's other
// folders stay. Returns the processor time a helper spent.
qint64 DesktopScanner::sizeFolders(int desktopFd, DesktopListing& listing,
                                   const std::vector<std::size_t>& folders) const {
    if (m_watch)
        armFolders(desktopFd, listing, folders);
    auto work = std::make_shared<FolderWork>(desktopFd, listing, folders);
    if (m_helperPool && folders.size() > 1)
        m_helperPool->tryStart([work] { work->helpWork(); });
    work->work();
    work->waitUntilDone();
    return work->helperCpuNs();
}

void DesktopScanner::armFolders(int desktopFd, DesktopListing& listing,
                                const std::vector<std::size_t>& folders) const {
    std::vector<const char*> names;
    names.reserve(folders.size());
    for (const std::size_t i : folders) {
        listing.entries[i].watch = -1;
        names.push_back(listing.name(listing.entries[i]));
    }
    std::vector<int> kept;
    for (const Entry& e : listing.entries)
        if (e.watch >= 0)
            kept.push_back(e.watch);
    const std::vector<int> watches = m_watch->watchFolders(desktopFd, names, kept);
    for (std::size_t k = 0; k < folders.size(); ++k)
        listing.entries[folders[k]].watch = watches[k];
}

ScanOutcome DesktopScanner::outcomeOf(std::shared_ptr<DesktopListing> listing, bool full,
                                      qint64 helperCpuNs) const {
    ScanOutcome outcome;
    outcome.snapshot = snapshotOf(m_desktopPath, *listing);
    outcome.listing = std::move(listing);
    outcome.full = full;
    outcome.cpuNs = helperCpuNs;
    return outcome;
}

ScanOutcome DesktopScanner::failure(int error) const {
    ScanOutcome outcome;
    outcome.error = describeError(m_desktopPath, error);
    return outcome;
}
