#pragma once

#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

// Thin, byte-exact helpers over the POSIX file-system calls the engine uses.
// Paths are raw bytes; nothing here follows a symbolic link in the last
// component of a path.
namespace PosixFs {

// Owns a file descriptor and closes it when it goes out of scope.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();

private:
    int m_fd;
};

// Opens a directory for reading. With noFollow, a symbolic link is refused.
UniqueFd openDirectory(int dirFd, const char* path, bool noFollow);

// Creates the folder and any missing parents with the given mode; an existing
// folder is fine. Returns whether the folder exists afterwards.
bool makePath(const QByteArray& path, mode_t mode);

// Moves an entry without ever replacing an existing destination
// (renameat2 with RENAME_NOREPLACE). Never copies: an entry on another file
// system fails with EXDEV. Returns false with errno set on failure.
bool moveNoReplace(int fromDirFd, const char* from, int toDirFd, const char* to);

// The last component of a path: everything after its last '/'.
QByteArray lastComponent(const QByteArray& path);
// Everything before the last '/' ("/" for an entry directly under the root).
QByteArray parentPath(const QByteArray& path);
// The path of an entry inside a folder, with one '/' between the two.
QByteArray childPath(const QByteArray& folder, const QByteArray& name);

// What makes an entry itself, so it can be recognised later where it was put:
// its device and inode, and the time its inode last changed (a new entry that
// reuses a freed inode number has a later one).
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 changedNs = 0;

    bool operator==(const Identity&) const = default;
};
// The identity of the entry at path (relative to dirFd), links not followed;
// a default Identity when there is none.
Identity identityOf(int dirFd, const char* path);

// Modification time of a stat record in whole milliseconds since the epoch.
qint64 modifiedMSecs(const struct stat& st);

// A clock's reading in nanoseconds (CLOCK_MONOTONIC, CLOCK_THREAD_CPUTIME_ID, …).
inline qint64 clockNs(clockid_t clock) {
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace PosixFs
