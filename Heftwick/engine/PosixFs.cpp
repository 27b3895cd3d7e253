#include "PosixFs.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixFs {

UniqueFd::~UniqueFd() {
    if (m_fd >= 0)
        ::close(m_fd);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

UniqueFd openDirectory(int dirFd, const char* path, bool noFollow) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0);
    return UniqueFd(::openat(dirFd, path, flags));
}

static bool makeOne(const QByteArray& path, mode_t mode) {
    if (::mkdir(path.constData(), mode) == 0 || errno == EEXIST) {
        struct stat st {};
        return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

bool makePath(const QByteArray& path, mode_t mode) {
    if (path.isEmpty())
        return false;
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        // Parents that fail here may still exist; only the folder itself decides.
        makeOne(path.left(slash), mode);
    }
    return makeOne(path, mode);
}

bool moveNoReplace(int fromDirFd, const char* from, int toDirFd, const char* to) {
    return ::renameat2(fromDirFd, from, toDirFd, to, RENAME_NOREPLACE) == 0;
}

QByteArray lastComponent(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray parentPath(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : QByteArray("/");
}

QByteArray childPath(const QByteArray& folder, const QByteArray& name) {
    return (folder.endsWith('/') ? folder : folder + '/') + name;
}

qint64 modifiedMSecs(const struct stat& st) {
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000;
}

Identity identityOf(int dirFd, const char* path) {
    struct stat st {};
    if (::fstatat(dirFd, path, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return {st.st_dev, st.st_ino, qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
}

} // namespace PosixFs
