#include "EngineTestSupport.h"
#include "PosixFs.h"

#include <QDate>
#include <QDir>
#include <gtest/gtest.h>

namespace {

QByteArray todaysArchive(const TempDesktop& desktop) {
    return desktop / ("DesktopArchive_" + QDate::currentDate().toString(u"yyyy-MM-dd").toLatin1());
}

TEST(Archive, WithNothingScannedCreatesTheDatedFolderAndMovesNothing) {
    TempDesktop desktop;
    writeFile(desktop / "a", "1");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_TRUE(QFileInfo(QFile::decodeName(todaysArchive(desktop))).isDir());
    EXPECT_TRUE(exists(desktop / "a"));
    EXPECT_EQ(engine.fileCount(), 2);
}

TEST(Archive, CreatesAMissingDesktopWithItsArchiveFolder) {
    ScopedHome home;
    LoadEngine engine(home.homeBytes() + "/Desktop");
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_EQ(engine.fileCount(), 1);
}

TEST(Archive, MovesTheEightHeaviestWhateverTheirAge) {
    TempDesktop desktop;
    for (int i = 1; i <= 10; ++i)
        makeSparseFile(desktop / ("f" + QByteArray::number(i)), i * 100);
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));

    EXPECT_TRUE(exists(desktop / "f1"));
    EXPECT_TRUE(exists(desktop / "f2"));
    for (int i = 3; i <= 10; ++i)
        EXPECT_TRUE(exists(todaysArchive(desktop) + "/f" + QByteArray::number(i))) << i;
    EXPECT_EQ(engine.fileCount(), 3);
    EXPECT_EQ(engine.topItems().at(0).rawName(), PosixFs::lastComponent(todaysArchive(desktop)));
}

TEST(Archive, SecondArchiveOfTheDayReusesTheFolderAndNeverOverwrites) {
    TempDesktop desktop;
    writeFile(desktop / "report.pdf", "first");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));

    writeFile(desktop / "report.pdf", "second version");
    writeFile(desktop / "other.txt", "x");
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));

    EXPECT_EQ(readAll(todaysArchive(desktop) + "/report.pdf"), "first");
    EXPECT_EQ(readAll(desktop / "report.pdf"), "second version");
    EXPECT_EQ(readAll(todaysArchive(desktop) + "/other.txt"), "x");
}

TEST(Archive, TodaysFolderStaysAndAnEarlierOneMovesIntoIt) {
    TempDesktop desktop;
    const QByteArray today = todaysArchive(desktop);
    const QByteArray earlier = desktop / "DesktopArchive_2001-01-01";
    makeDir(today);
    makeDir(earlier);
    for (int i = 0; i < 40; ++i) { // heavier than the file below
        writeFile(today + "/t" + QByteArray::number(i), QByteArray(100, 't'));
        writeFile(earlier + "/e" + QByteArray::number(i), QByteArray(100, 'e'));
    }
    writeFile(desktop / "small", "s");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_EQ(engine.topItems().size(), 3);

    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_TRUE(exists(today + "/t0"));
    EXPECT_FALSE(exists(today + "/" + PosixFs::lastComponent(today)));
    EXPECT_TRUE(exists(today + "/DesktopArchive_2001-01-01/e0"));
    EXPECT_TRUE(exists(today + "/small"));
    EXPECT_EQ(engine.fileCount(), 1);
}

TEST(Archive, MovesOddNamesAndLinksByteExact) {
    TempDesktop desktop;
    const QByteArray odd("\xff\xfe line\none %41");
    writeFile(desktop / odd, "odd");
    const QByteArray target = desktop.home().homeBytes() + "/photos";
    makeDir(target);
    makeLink(target, desktop / "photos-link");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));

    EXPECT_EQ(readAll(todaysArchive(desktop) + "/" + odd), "odd");
    EXPECT_EQ(QFile::symLinkTarget(QFile::decodeName(todaysArchive(desktop) + "/photos-link")),
              QFile::decodeName(target));
    EXPECT_TRUE(QFileInfo(QFile::decodeName(target)).isDir());
    EXPECT_TRUE(QDir(QFile::decodeName(target)).isEmpty());
}

} // namespace
