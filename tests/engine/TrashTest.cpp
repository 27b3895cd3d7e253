#include "Trash.h"

#include "EngineTestSupport.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <sys/mount.h>

namespace {

QByteArray infoPath(const QByteArray& trashDir, const QByteArray& trashName) {
    const QByteArray info = readAll(trashDir + "/info/" + trashName + ".trashinfo");
    for (const QByteArray& line : info.split('\n'))
        if (line.startsWith("Path="))
            return QByteArray::fromPercentEncoding(line.mid(5));
    return {};
}

int mode(const QByteArray& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.constData(), &st), 0);
    return int(st.st_mode & 07777);
}

// Runs trash-list, then restores the first trashed entry under dir with
// trash-restore; the list.
QByteArray listAndRestore(const QByteArray& dir) {
    QProcess shell;
    shell.start("sh", {"-c", R"(trash-list && echo 0 | trash-restore "$0" >/dev/null)",
                       QFile::decodeName(dir)});
    shell.waitForFinished(30000);
    return shell.readAllStandardOutput();
}

// The home trash here is a link to a folder of the user's, which is accepted.
TEST(Trash, MovesEntriesAndLinksWithPercentEncodedInfoFilesAndUniqueNames) {
    EXPECT_EQ(Trash::encodePath("/a b/100%/x\ny/\xff-._~Z9"), "/a%20b/100%25/x%0Ay/%FF-._~Z9");
    TempDesktop desktop;
    const QByteArray name("caf\xe9 100%\nreport.txt"), trash = desktop.homeBytes() + "/t";
    makeDir(trash);
    makeLink(trash, desktop.homeTrash());
    writeFile(desktop / name, "content");
    ASSERT_TRUE(Trash().moveToTrash(desktop / name));
    EXPECT_EQ(readAll(trash + "/files/" + name), "content");
    const QList<QByteArray> lines = readAll(trash + "/info/" + name + ".trashinfo").split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "[Trash Info]");
    EXPECT_EQ(lines[1], "Path=" + Trash::encodePath(desktop / name));
    const QDateTime deleted = QDateTime::fromString(QString(lines[2].mid(13)), Qt::ISODate);
    EXPECT_TRUE(lines[2].startsWith("DeletionDate=") && deleted.timeSpec() == Qt::LocalTime);
    EXPECT_LT(qAbs(deleted.secsTo(QDateTime::currentDateTime())), 120);
    const QByteArray target = desktop.homeBytes() + "/target";
    makeDir(target);
    makeLink(target, desktop / "link");
    makeLink("/no/such/place", desktop / "dangling");
    ASSERT_TRUE(Trash().moveToTrash(desktop / "link"));
    ASSERT_TRUE(Trash().moveToTrash(desktop / "dangling"));
    EXPECT_TRUE(exists(target));
    EXPECT_EQ(QFile::symLinkTarget(QFile::decodeName(trash + "/files/link")),
              QFile::decodeName(target));
    EXPECT_EQ(infoPath(trash, "dangling"), desktop / "dangling");
    writeFile(trash + "/info/same.2.trashinfo", "[Trash Info]\n"); // a stale one takes its name
    for (const QByteArray content : {"a", "b", "c"}) {
        writeFile(desktop / "same", content);
        ASSERT_TRUE(Trash().moveToTrash(desktop / "same"));
    }
    EXPECT_EQ(readAll(trash + "/files/same") + readAll(trash + "/files/same.3") +
                  readAll(trash + "/files/same.4"),
              "abc");
    EXPECT_EQ(infoPath(trash, "same.4"), desktop / "same");
    const QByteArray longName(250, 'n'); // the info file name must still fit
    writeFile(desktop / longName, "x");
    ASSERT_TRUE(Trash().moveToTrash(desktop / longName));
    EXPECT_EQ(infoPath(trash, longName.left(245)), desktop / longName);
}

TEST(Trash, CreatesAMissingDataFolderPrivatelyAndIgnoresARelativeDataHome) {
    TempDesktop desktop;
    ASSERT_TRUE(QDir(desktop.home() + "/.local").removeRecursively());
    qputenv("XDG_DATA_HOME", "relative/share");
    writeFile(desktop / "x", "1");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(desktop.home());
    const bool trashed = bool(Trash().moveToTrash(desktop / "x"));
    QDir::setCurrent(cwd);
    ASSERT_TRUE(trashed);
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/x"));
    EXPECT_EQ(mode(desktop.homeBytes() + "/.local/share"), 0700);
    EXPECT_EQ(mode(desktop.homeTrash()), 0700);
    EXPECT_EQ(mode(desktop.homeTrash() + "/info"), 0700);
    EXPECT_EQ(entriesOf(desktop.homeBytes()), QStringList{"Desktop"});
}

TEST(Trash, EntriesAreListedAndRestoredByTrashCli) {
    if (QStandardPaths::findExecutable("trash-restore").isEmpty())
        GTEST_SKIP() << "trash-cli is not installed";
    TempDesktop desktop;
    for (const QByteArray name : {"plain.txt", "with space", "100%.txt", "two\nlines"}) {
        SCOPED_TRACE(name.constData());
        writeFile(desktop / name, "data of " + name);
        ASSERT_TRUE(Trash().moveToTrash(desktop / name));
        ASSERT_FALSE(exists(desktop / name));
        EXPECT_TRUE(listAndRestore(desktop.path()).contains(desktop / name));
        EXPECT_EQ(readAll(desktop / name), "data of " + name);
        EXPECT_TRUE(entriesOf(desktop.homeTrash() + "/info").isEmpty());
    }
}

TEST(Trash, OnASecondFileSystemUsesATrashThereAndNeverCopies) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a tmpfs for a second file system needs root";
    TempDesktop desktop;
    const QByteArray mnt = desktop.homeBytes() + "/mnt", uid = QByteArray::number(::getuid());
    makeDir(mnt);
    ASSERT_EQ(::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=16m"), 0);
    const auto unmount = qScopeGuard([&] { ::umount2(mnt.constData(), MNT_DETACH); });
    const QByteArray own = mnt + "/.Trash-" + uid, shared = mnt + "/.Trash";
    makeDir(mnt + "/folder");
    const auto entry = [&](const QByteArray& name) {
        writeFile(mnt + "/folder/" + name, "on tmpfs");
        return mnt + "/folder/" + name;
    };
    ASSERT_TRUE(Trash().moveToTrash(entry("a")));
    EXPECT_EQ(readAll(own + "/files/a"), "on tmpfs");
    EXPECT_EQ(infoPath(own, "a"), "folder/a");
    EXPECT_EQ(mode(own), 0700);
    EXPECT_TRUE(entriesOf(desktop.homeTrash()).isEmpty());
    if (!QStandardPaths::findExecutable("trash-restore").isEmpty()) {
        EXPECT_TRUE(listAndRestore(mnt).contains(mnt + "/folder/a"));
        EXPECT_EQ(readAll(mnt + "/folder/a"), "on tmpfs");
    }
    makeLink("/tmp", shared); // sticky, but a link
    ASSERT_TRUE(Trash().moveToTrash(entry("b")));
    ASSERT_EQ(::unlink(shared.constData()), 0);
    makeDir(shared); // not sticky
    ASSERT_TRUE(Trash().moveToTrash(entry("c")));
    EXPECT_EQ(entriesOf(own + "/files"), (QStringList{"b", "c"}));
    ASSERT_EQ(::chmod(shared.constData(), 01777), 0);
    ASSERT_TRUE(Trash().moveToTrash(entry("d")));
    EXPECT_TRUE(exists(shared + "/" + uid + "/files/d"));
    // The same file system seen through a second mount: a rename between the
    // mounts fails with EXDEV although the device is the same.
    const QByteArray bind = desktop.homeBytes() + "/bind";
    makeDir(bind);
    ASSERT_EQ(::mount(mnt.constData(), bind.constData(), nullptr, MS_BIND, nullptr), 0);
    const auto unbind = qScopeGuard([&] { ::umount2(bind.constData(), MNT_DETACH); });
    EXPECT_FALSE(Trash(bind + "/Trash").moveToTrash(entry("e")));
    EXPECT_EQ(readAll(mnt + "/folder/e"), "on tmpfs");
    ASSERT_TRUE(exists(bind + "/Trash/info")); // the home trash was chosen, then refused
    EXPECT_TRUE(entriesOf(bind + "/Trash/info").isEmpty());
    EXPECT_TRUE(entriesOf(bind + "/Trash/files").isEmpty());
}

} // namespace
