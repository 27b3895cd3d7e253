#include "Trash.h"

#include "PosixFs.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char infoSuffix[] = ".trashinfo";
constexpr qsizetype nameMax = NAME_MAX;
constexpr int maxNameAttempts = 10'000;

QByteArray defaultHomeTrash() {
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.startsWith('/'))
        return dataHome + "/Trash";
    return qgetenv("HOME") + "/.local/share/Trash";
}

// The device of a path, or of its nearest existing ancestor.
dev_t deviceOfNearestExisting(QByteArray path) {
    struct stat st {};
    while (::stat(path.constData(), &st) != 0 && path != "/")
        path = PosixFs::parentPath(path);
    return st.st_dev;
}

enum class Link { refused, followed };

// A directory the trash may use: a directory owned by us, and a real one
// (not a link) unless a link is allowed to lead there.
bool isOwnDirectory(const QByteArray& path, Link link) {
    struct stat st {};
    const int result =
        link == Link::followed ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    return result == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool makeOwnDirectory(const QByteArray& path, Link link) {
    return (::mkdir(path.constData(), 0700) == 0 || errno == EEXIST) && isOwnDirectory(path, link);
}

// Creates (when missing) and checks a trash directory with its files/ and
// info/. The home trash itself may be a link the user set up to a folder of
// their own; a trash on a shared file system never is.
bool prepareTrashDirectory(const QByteArray& dir, Link link) {
    return makeOwnDirectory(dir, link) && makeOwnDirectory(dir + "/files", Link::refused) &&
           makeOwnDirectory(dir + "/info", Link::refused);
}

// The absolute path of an entry with every link in its folder part resolved;
// the entry itself is not resolved.
std::optional<QByteArray> realEntryPath(const QByteArray& path) {
    const std::unique_ptr<char, decltype(&std::free)> parent(
        ::realpath(PosixFs::parentPath(path).constData(), nullptr), &std::free);
    if (!parent)
        return std::nullopt;
    return PosixFs::childPath(QByteArray(parent.get()), PosixFs::lastComponent(path));
}

// The mount point holding a folder: its highest ancestor on the same device.
QByteArray mountPointOf(QByteArray folder, dev_t device) {
    struct stat st {};
    while (folder != "/") {
        const QByteArray up = PosixFs::parentPath(folder);
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        folder = up;
    }
    return folder;
}

QByteArray deletionDate() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return QByteArray(text, qsizetype(length));
}

// The n-th candidate name in the trash for an entry: the name itself, then
// name.2, name.3, …, shortened so that the .trashinfo name still fits.
QByteArray candidateName(const QByteArray& name, int attempt) {
    const QByteArray suffix = attempt == 1 ? QByteArray() : '.' + QByteArray::number(attempt);
    const qsizetype room = nameMax - qsizetype(sizeof infoSuffix - 1) - suffix.size();
    return name.left(room) + suffix;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

enum class InfoResult { created, nameTaken, failed };

// Creates the .trashinfo exclusively. On failure errno tells why.
InfoResult createInfoFile(int infoDir, const QByteArray& infoName, const QByteArray& contents) {
    const PosixFs::UniqueFd fd(::openat(
        infoDir, infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        return errno == EEXIST ? InfoResult::nameTaken : InfoResult::failed;
    if (!writeAll(fd.get(), contents)) {
        const int error = errno == 0 ? EIO : errno;
        ::unlinkat(infoDir, infoName.constData(), 0);
        errno = error;
        return InfoResult::failed;
    }
    return InfoResult::created;
}

Trash::Trashed failure(int error) {
    Trash::Trashed result;
    result.error = error;
    return result;
}

} // namespace

Trash::Trash() : Trash(defaultHomeTrash()) {}

Trash::Trash(QByteArray homeTrashPath) : m_homeTrash(std::move(homeTrashPath)) {}

QByteArray Trash::encodePath(const QByteArray& path) {
    return path.toPercentEncoding("/", QByteArray(), '%');
}

Trash::Trashed Trash::moveToTrash(const QByteArray& path) const {
    struct stat st {};
    if (!path.startsWith('/'))
        return failure(EINVAL);
    if (::lstat(path.constData(), &st) != 0)
        return failure(errno);
    const std::optional<Target> target = targetFor(path, st.st_dev);
    if (!target)
        return failure(noTrash);
    return moveInto(*target, path);
}

std::optional<Trash::Target> Trash::targetFor(const QByteArray& path, dev_t device) const {
    const std::optional<QByteArray> realPath = realEntryPath(path);
    if (!realPath)
        return std::nullopt;
    if (device == deviceOfNearestExisting(m_homeTrash)) {
        if (!PosixFs::makePath(PosixFs::parentPath(m_homeTrash), 0700) ||
            !prepareTrashDirectory(m_homeTrash, Link::followed))
            return std::nullopt;
        return Target{m_homeTrash, *realPath};
    }
    return topdirTarget(*realPath, device);
}

std::optional<Trash::Target> Trash::topdirTarget(const QByteArray& realPath, dev_t device) {
    const QByteArray folder = PosixFs::parentPath(realPath);
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || st.st_dev != device)
        return std::nullopt; // the entry is itself a mount point
    const QByteArray topdir = mountPointOf(folder, device);
    const QByteArray prefix = topdir == "/" ? topdir : topdir + '/';
    const QByteArray relative = realPath.mid(prefix.size());
    const QByteArray uid = QByteArray::number(::getuid());

    const QByteArray shared = prefix + ".Trash";
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
        prepareTrashDirectory(shared + '/' + uid, Link::refused))
        return Target{shared + '/' + uid, relative};
    const QByteArray own = prefix + ".Trash-" + uid;
    if (prepareTrashDirectory(own, Link::refused))
        return Target{own, relative};
    return std::nullopt;
}

// Claims a free name with an exclusively created .trashinfo first, then
// renames the entry into files/ under that name without replacing anything.
Trash::Trashed Trash::moveInto(const Target& target, const QByteArray& path) {
    const PosixFs::UniqueFd infoDir =
        PosixFs::openDirectory(AT_FDCWD, (target.directory + "/info").constData(), true);
    const PosixFs::UniqueFd filesDir =
        PosixFs::openDirectory(AT_FDCWD, (target.directory + "/files").constData(), true);
    if (!infoDir.valid() || !filesDir.valid())
        return failure(noTrash);

    const QByteArray contents = "[Trash Info]\nPath=" + encodePath(target.infoPath) +
                                "\nDeletionDate=" + deletionDate() + '\n';
    const QByteArray name = PosixFs::lastComponent(path);
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QByteArray trashName = candidateName(name, attempt);
        const QByteArray infoName = trashName + infoSuffix;
        const InfoResult info = createInfoFile(infoDir.get(), infoName, contents);
        if (info == InfoResult::nameTaken)
            continue;
        if (info == InfoResult::failed)
            return failure(errno);
        if (PosixFs::moveNoReplace(AT_FDCWD, path.constData(), filesDir.get(),
                                   trashName.constData())) {
            Trashed trashed;
            trashed.filePath = target.directory + "/files/" + trashName;
            trashed.infoPath = target.directory + "/info/" + infoName;
            trashed.entry = PosixFs::identityOf(filesDir.get(), trashName.constData());
            trashed.info = PosixFs::identityOf(infoDir.get(), infoName.constData());
            return trashed;
        }
        const int error = errno;
        ::unlinkat(infoDir.get(), infoName.constData(), 0);
        if (error == EXDEV)
            return failure(noTrash); // never copied: the entry stays
        if (error != EEXIST && error != ENOTEMPTY)
            return failure(error);
    }
    return failure(EEXIST);
}
