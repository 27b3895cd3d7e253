#include "EngineTestSupport.h"

#include <QDir>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TempDesktop::TempDesktop() : m_path(m_home.homeBytes() + "/Desktop") {
    makeDir(m_path);
}

EngineWatch::EngineWatch(LoadEngine& engine) {
    QObject::connect(&engine, &LoadEngine::stateChanged, &engine, [this] { ++published; });
    QObject::connect(&engine, &LoadEngine::scanFailed, &engine, [this](const QString& error) {
        ++failed;
        lastError = error;
    });
}

bool runAndWait(LoadEngine& engine, const std::function<void()>& operation) {
    int published = 0;
    int failed = 0;
    const auto a = QObject::connect(&engine, &LoadEngine::stateChanged, [&] { ++published; });
    const auto b = QObject::connect(&engine, &LoadEngine::scanFailed, [&] { ++failed; });
    operation();
    const bool done = waitUntil([&] { return published + failed > 0; }, 20000);
    QObject::disconnect(a);
    QObject::disconnect(b);
    return done && published == 1;
}

bool scanAndWait(LoadEngine& engine) {
    return runAndWait(engine, [&] { engine.scan(); });
}

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    m_saved = ::dup(STDOUT_FILENO);
    const int fd = ::open(QFile::encodeName(m_dir.filePath("out")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ::dup2(fd, STDOUT_FILENO);
    ::close(fd);
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    ::dup2(m_saved, STDOUT_FILENO);
    ::close(m_saved);
}

QByteArray StdoutCapture::text() const {
    std::fflush(stdout);
    return readAll(QFile::encodeName(m_dir.filePath("out")));
}

const LoadEngine::FileItem* findItem(const LoadEngine& engine, const QByteArray& rawName) {
    for (const auto& item : engine.topItems())
        if (item.rawName() == rawName)
            return &item;
    return nullptr;
}

std::optional<qint64> categoryBytes(const LoadEngine& engine, const QString& name) {
    for (const auto& category : engine.categoryBreakdown())
        if (category.name == name)
            return category.bytes;
    return std::nullopt;
}

bool exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

qint64 ownSize(const QByteArray& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.constData(), &st), 0) << path.constData();
    return st.st_size;
}

QByteArray readAll(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle);
    return file.readAll();
}

void makeDir(const QByteArray& path) {
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << "cannot create " << path.constData();
}

void makeLink(const QByteArray& target, const QByteArray& linkPath) {
    ASSERT_EQ(::symlink(target.constData(), linkPath.constData()), 0) << linkPath.constData();
}

QList<QByteArray> listingOrder(const QByteArray& dir) {
    QList<QByteArray> names;
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return names;
    while (const dirent* entry = ::readdir(d))
        if (entry->d_name[0] != '.')
            names.append(QByteArray(entry->d_name));
    ::closedir(d);
    return names;
}
