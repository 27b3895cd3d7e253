#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int removeEntry(const char* path, const struct stat*, int type, FTW*) {
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
}

// Removes a tree by the bytes of its names, without following links: Qt's
// own removal skips names that are not UTF-8, and the tests make many.
void removeTree(const QByteArray& path) {
    ::nftw(path.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

ScopedHome::ScopedHome() {
    const QByteArray root = homeBytes();
    set("HOME", root);
    set("XDG_CONFIG_HOME", root + "/.config");
    set("XDG_DATA_HOME", root + "/.local/share");
    set("XDG_CACHE_HOME", root + "/.cache");
    set("XDG_STATE_HOME", root + "/.local/state");
    QDir().mkpath(configHome());
    QDir().mkpath(dataHome());
}

ScopedHome::~ScopedHome() {
    removeTree(homeBytes());
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

void ScopedHome::set(const char* name, const QByteArray& value) {
    if (!m_saved.count(name))
        m_saved[name] =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    qputenv(name, value);
}

void makeSparseFile(const QByteArray& path, qint64 size) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << "cannot create " << path.constData();
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

void writeFile(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << "cannot create " << path.constData();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

void setModified(const QByteArray& path, qint64 unixSeconds) {
    const timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0)
        << "cannot set the time of " << path.constData();
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QString screenshotPath(const QString& fileName) {
    QString dir = qEnvironmentVariable("PILEWATCH_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + "/pilewatch-screenshots";
    QDir().mkpath(dir);
    return dir + '/' + fileName;
}
