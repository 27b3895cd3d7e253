#pragma once

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// A private home with an empty Desktop folder in it.
class TempDesktop : public ScopedHome {
public:
    TempDesktop() : m_path(homeBytes() + "/Desktop") { QDir().mkdir(QFile::decodeName(m_path)); }

    const QByteArray& path() const { return m_path; }
    QByteArray operator/(const QByteArray& name) const { return m_path + '/' + name; }
    QByteArray homeTrash() const { return homeBytes() + "/.local/share/Trash"; }

private:
    QByteArray m_path;
};

// Whether the path exists, without following a final link.
inline bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

inline QByteArray readAll(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    return file.readAll();
}

inline void makeDir(const QByteArray& path) {
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << "cannot create " << path.constData();
}

inline void makeLink(const QByteArray& target, const QByteArray& linkPath) {
    ASSERT_EQ(::symlink(target.constData(), linkPath.constData()), 0) << linkPath.constData();
}

// Names of a folder's visible entries; Unsorted gives the file system's order.
inline QStringList entriesOf(const QByteArray& dir, QDir::SortFlags order = QDir::Name) {
    return QDir(QFile::decodeName(dir))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, order);
}
