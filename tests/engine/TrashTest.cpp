#include "Trash.h"

#include "EngineTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray infoOf(const QByteArray& trashDir, const QByteArray& trashName) {
    return readAll(trashDir + "/info/" + trashName + ".trashinfo");
}

QByteArray pathLine(const QByteArray& info) {
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

TEST(Trash, PercentEncodesEveryByteOutsideTheUnreservedSet) {
    EXPECT_EQ(Trash::encodePath("/a b/100%/x\ny/\xff-._~Z9"), "/a%20b/100%25/x%0Ay/%FF-._~Z9");
}

TEST(Trash, WritesTheInfoFileAndMovesTheEntryIntoTheHomeTrash) {
    TempDesktop desktop;
    const QByteArray name("caf\xe9 100%\nreport.txt");
    writeFile(desktop / name, "content");
    const Trash trash;
    EXPECT_EQ(trash.homeTrashPath(), desktop.homeTrash());

    ASSERT_TRUE(trash.moveToTrash(desktop / name));
    EXPECT_FALSE(exists(desktop / name));
    EXPECT_EQ(readAll(desktop.homeTrash() + "/files/" + name), "content");
    const QByteArray info = infoOf(desktop.homeTrash(), name);
    const QList<QByteArray> lines = info.split('\n');
    ASSERT_EQ(lines.size(), 4) << info.constData();
    EXPECT_EQ(lines[0], "[Trash Info]");
    EXPECT_EQ(lines[1], "Path=" + Trash::encodePath(desktop / name));
    EXPECT_EQ(pathLine(info), desktop / name);
    const QDateTime deleted =
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate);
    ASSERT_TRUE(lines[2].startsWith("DeletionDate=") && deleted.isValid()) << lines[2].constData();
    EXPECT_EQ(deleted.timeSpec(), Qt::LocalTime);
    EXPECT_LT(qAbs(deleted.secsTo(QDateTime::currentDateTime())), 120);
    EXPECT_EQ(lines[3], "");
}

TEST(Trash, GivesCollidingNamesNewUniqueNames) {
    TempDesktop desktop;
    const Trash trash;
    for (const QByteArray folder : {"a", "b", "c"}) {
        makeDir(desktop / folder);
        writeFile(desktop / folder + "/same", folder);
    }
    // A stale info file without its entry also keeps its name taken.
    ASSERT_TRUE(trash.moveToTrash(desktop / "a/same"));
    writeFile(desktop.homeTrash() + "/info/same.2.trashinfo", "[Trash Info]\n");
    ASSERT_TRUE(trash.moveToTrash(desktop / "b/same"));
    ASSERT_TRUE(trash.moveToTrash(desktop / "c/same"));

    const QByteArray files = desktop.homeTrash() + "/files/";
    EXPECT_EQ(readAll(files + "same"), "a");
    EXPECT_FALSE(exists(files + "same.2"));
    EXPECT_EQ(readAll(files + "same.3"), "b");
    EXPECT_EQ(readAll(files + "same.4"), "c");
    EXPECT_EQ(pathLine(infoOf(desktop.homeTrash(), "same.4")), desktop / "c/same");
}

TEST(Trash, ShortensVeryLongNamesSoTheInfoFileFits) {
    TempDesktop desktop;
    const QByteArray longName(250, 'n');
    writeFile(desktop / longName, "x");
    ASSERT_TRUE(Trash().moveToTrash(desktop / longName));
    EXPECT_EQ(pathLine(infoOf(desktop.homeTrash(), longName.left(245))), desktop / longName);
}

TEST(Trash, TrashesLinksNeverTheirTargets) {
    TempDesktop desktop;
    const QByteArray target = desktop.home().homeBytes() + "/target";
    makeDir(target);
    writeFile(target + "/inside", "keep");
    makeLink(target, desktop / "link");
    makeLink("/no/such/place", desktop / "dangling");
    const Trash trash;

    ASSERT_TRUE(trash.moveToTrash(desktop / "link"));
    ASSERT_TRUE(trash.moveToTrash(desktop / "dangling"));
    EXPECT_EQ(readAll(target + "/inside"), "keep");
    EXPECT_EQ(QFile::symLinkTarget(QFile::decodeName(desktop.homeTrash() + "/files/link")),
              QFile::decodeName(target));
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/dangling"));
}

TEST(Trash, CreatesAMissingDataFolderPrivately) {
    TempDesktop desktop;
    ASSERT_TRUE(QDir(desktop.home().dataHome()).removeRecursively());
    ASSERT_TRUE(QDir(desktop.home().home() + "/.local").removeRecursively());
    writeFile(desktop / "x", "1");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(desktop.home().home());

    const bool trashed = Trash().moveToTrash(desktop / "x");
    QDir::setCurrent(cwd);
    ASSERT_TRUE(trashed);
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/x"));
    EXPECT_EQ(mode(desktop.home().homeBytes() + "/.local/share"), 0700);
    EXPECT_EQ(mode(desktop.homeTrash()), 0700);
    EXPECT_EQ(mode(desktop.homeTrash() + "/info"), 0700);
    EXPECT_FALSE(exists(desktop.home().homeBytes() + "/files"));
    EXPECT_FALSE(exists(desktop.home().homeBytes() + "/info"));
}

TEST(Trash, IgnoresARelativeDataHome) {
    TempDesktop desktop;
    qputenv("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(Trash().homeTrashPath(), desktop.homeTrash());
}

TEST(Trash, UsesAHomeTrashThatIsALinkToAFolderOfTheUsers) {
    TempDesktop desktop;
    const QByteArray elsewhere = desktop.home().homeBytes() + "/trash-elsewhere";
    makeDir(elsewhere);
    ASSERT_TRUE(QDir().mkpath(desktop.home().dataHome()));
    makeLink(elsewhere, desktop.homeTrash());
    writeFile(desktop / "x", "1");

    ASSERT_TRUE(Trash().moveToTrash(desktop / "x"));
    EXPECT_EQ(readAll(elsewhere + "/files/x"), "1");
    EXPECT_EQ(pathLine(infoOf(elsewhere, "x")), desktop / "x");
}

TEST(Trash, FailsWithoutATraceWhenTheEntryIsGone) {
    TempDesktop desktop;
    EXPECT_FALSE(Trash().moveToTrash(desktop / "missing"));
    EXPECT_TRUE(QDir(QFile::decodeName(desktop.homeTrash() + "/info"))
                    .entryList(QDir::Files | QDir::Hidden)
                    .isEmpty());
}

// --- trash-cli as a peer -------------------------------------------------------

QByteArray runTrashCli(const QString& program, const QStringList& args,
                       const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return process.readAllStandardOutput() + process.readAllStandardError();
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

        EXPECT_TRUE(runTrashCli("trash-list", {}).contains(desktop / name));
        runTrashCli("trash-restore", {QFile::decodeName(desktop.path())}, "0\n");
        EXPECT_EQ(readAll(desktop / name), "data of " + name);
        EXPECT_FALSE(exists(desktop.homeTrash() + "/info/" + name + ".trashinfo"));
    }
}

// --- A second file system ------------------------------------------------------

// A tmpfs mounted for the test, with a folder in it that holds the entries.
class SecondFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs for a second file system needs root";
        m_mount = m_desktop.home().homeBytes() + "/mnt";
        makeDir(m_mount);
        ASSERT_EQ(::mount("tmpfs", m_mount.constData(), "tmpfs", 0, "size=16m"), 0);
        m_mounted = {m_mount};
        makeDir(m_mount + "/folder");
        writeFile(m_mount + "/folder/entry", "on tmpfs");
    }
    void TearDown() override {
        for (auto it = m_mounted.rbegin(); it != m_mounted.rend(); ++it)
            ::umount2(it->constData(), MNT_DETACH);
    }

    QByteArray uid() const { return QByteArray::number(::getuid()); }
    QByteArray entry() const { return m_mount + "/folder/entry"; }

    TempDesktop m_desktop;
    QByteArray m_mount;
    QList<QByteArray> m_mounted;
};

TEST_F(SecondFileSystem, UsesTheTopdirOwnTrashWithARelativePath) {
    ASSERT_TRUE(Trash().moveToTrash(entry()));
    const QByteArray trashDir = m_mount + "/.Trash-" + uid();
    EXPECT_EQ(readAll(trashDir + "/files/entry"), "on tmpfs");
    EXPECT_EQ(pathLine(infoOf(trashDir, "entry")), "folder/entry");
    EXPECT_EQ(mode(trashDir), 0700);
    EXPECT_FALSE(exists(m_desktop.homeTrash() + "/files/entry"));

    if (!QStandardPaths::findExecutable("trash-restore").isEmpty()) {
        EXPECT_TRUE(runTrashCli("trash-list", {}).contains(entry()));
        runTrashCli("trash-restore", {QFile::decodeName(m_mount)}, "0\n");
        EXPECT_EQ(readAll(entry()), "on tmpfs");
    }
}

TEST_F(SecondFileSystem, UsesASharedStickyTrashFolder) {
    makeDir(m_mount + "/.Trash");
    ASSERT_EQ(::chmod((m_mount + "/.Trash").constData(), 01777), 0);
    ASSERT_TRUE(Trash().moveToTrash(entry()));
    EXPECT_TRUE(exists(m_mount + "/.Trash/" + uid() + "/files/entry"));
    EXPECT_FALSE(exists(m_mount + "/.Trash-" + uid()));
}

TEST_F(SecondFileSystem, RefusesASharedTrashThatIsNotStickyOrIsALink) {
    makeDir(m_mount + "/.Trash");
    ASSERT_TRUE(Trash().moveToTrash(entry()));
    EXPECT_TRUE(exists(m_mount + "/.Trash-" + uid() + "/files/entry"));
    EXPECT_FALSE(exists(m_mount + "/.Trash/" + uid()));

    ASSERT_EQ(::rmdir((m_mount + "/.Trash").constData()), 0);
    makeLink("/tmp", m_mount + "/.Trash"); // sticky, but a link
    writeFile(m_mount + "/folder/second", "2");
    ASSERT_TRUE(Trash().moveToTrash(m_mount + "/folder/second"));
    EXPECT_TRUE(exists(m_mount + "/.Trash-" + uid() + "/files/second"));
}

TEST_F(SecondFileSystem, LeavesTheEntryWhenNoTrashCanBeMade) {
    writeFile(m_mount + "/.Trash-" + uid(), "in the way");
    EXPECT_FALSE(Trash().moveToTrash(entry()));
    EXPECT_EQ(readAll(entry()), "on tmpfs");
}

TEST_F(SecondFileSystem, NeverCopiesAcrossMountsAndLeavesNoInfoFile) {
    // The same file system seen through a second mount: same device, but a
    // rename between the mounts fails with EXDEV.
    const QByteArray bind = m_desktop.home().homeBytes() + "/bind";
    makeDir(bind);
    ASSERT_EQ(::mount(m_mount.constData(), bind.constData(), nullptr, MS_BIND, nullptr), 0);
    m_mounted.append(bind);
    const Trash trash(bind + "/Trash");

    EXPECT_FALSE(trash.moveToTrash(entry()));
    EXPECT_EQ(readAll(entry()), "on tmpfs");
    ASSERT_TRUE(exists(bind + "/Trash/info")); // the home trash was chosen, then refused
    EXPECT_TRUE(QDir(QFile::decodeName(bind + "/Trash/info")).isEmpty());
    EXPECT_TRUE(QDir(QFile::decodeName(bind + "/Trash/files")).isEmpty());
}

} // namespace
