#include "EngineTestSupport.h"
#include "Trash.h"

#include <QDir>
#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace {

constexpr qint64 day = 86'400;

qint64 daysAgo(int days) {
    return QDateTime::currentSecsSinceEpoch() - days * day;
}

QStringList trashedNames(const TempDesktop& desktop) {
    return QDir(QFile::decodeName(desktop.homeTrash() + "/files"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(Cleanup, CutoffIsWholeDaysOfSecondsBeforeNow) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000);
    EXPECT_EQ(LoadEngineTestHook::cleanupCutoff(30, now).toSecsSinceEpoch(),
              1'800'000'000 - 30 * day);
    EXPECT_EQ(LoadEngineTestHook::cleanupCutoff(0, now), now);
    EXPECT_EQ(LoadEngineTestHook::cleanupCutoff(-1, now).toSecsSinceEpoch(), 1'800'000'000 + day);
    // The extreme day counts still give valid instants on the right side.
    const QDateTime farPast = LoadEngineTestHook::cleanupCutoff(INT_MAX, now);
    EXPECT_TRUE(farPast.isValid());
    EXPECT_LT(farPast, QDateTime::fromSecsSinceEpoch(-5'000'000 * 365 * day));
    const QDateTime farFuture = LoadEngineTestHook::cleanupCutoff(INT_MIN, now);
    EXPECT_TRUE(farFuture.isValid());
    EXPECT_GT(farFuture, QDateTime::fromSecsSinceEpoch(5'000'000 * 365 * day));
}

TEST(Cleanup, WithNothingScannedTrashesNothingAndStillScans) {
    TempDesktop desktop;
    writeFile(desktop / "old", "1");
    setModified(desktop / "old", daysAgo(100));
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(runAndWait(engine, [&] { engine.cleanOldFiles(30); }));
    EXPECT_TRUE(exists(desktop / "old"));
    EXPECT_EQ(engine.fileCount(), 1);
}

TEST(Cleanup, TrashesOnlyOldEntriesAmongTheEightHeaviest) {
    TempDesktop desktop;
    for (int i = 1; i <= 10; ++i) {
        const QByteArray name = "file" + QByteArray::number(i);
        makeSparseFile(desktop / name, i * 1000);
        setModified(desktop / name, daysAgo(40));
    }
    makeSparseFile(desktop / "fresh", 50'000);
    setModified(desktop / "fresh", daysAgo(2));
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));

    ASSERT_TRUE(runAndWait(engine, [&] { engine.cleanOldFiles(30); }));
    // The heaviest eight were "fresh" and file10..file4; file1..file3 are
    // old too but not among them.
    EXPECT_EQ(trashedNames(desktop).size(), 7);
    for (const QByteArray kept : {"fresh", "file1", "file2", "file3"})
        EXPECT_TRUE(exists(desktop / kept)) << kept.constData();
    EXPECT_EQ(engine.fileCount(), 4);
    EXPECT_EQ(engine.totalBytes(), 56'000);
}

TEST(Cleanup, AnEntryModifiedExactlyAtTheCutoffStays) {
    TempDesktop desktop;
    const qint64 cutoff = daysAgo(30);
    writeFile(desktop / "at-cutoff", "12");
    setModified(desktop / "at-cutoff", cutoff);
    writeFile(desktop / "second-earlier", "1");
    setModified(desktop / "second-earlier", cutoff - 1);
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));

    ASSERT_TRUE(runAndWait(engine, [&] {
        LoadEngineTestHook::trashItemsModifiedBefore(engine, QDateTime::fromSecsSinceEpoch(cutoff));
    }));
    EXPECT_TRUE(exists(desktop / "at-cutoff"));
    EXPECT_FALSE(exists(desktop / "second-earlier"));
    EXPECT_EQ(trashedNames(desktop), QStringList{"second-earlier"});
}

TEST(Cleanup, LeavesAnEntryChangedOrRemovedSinceTheScan) {
    TempDesktop desktop;
    for (const QByteArray name : {"touched", "removed", "replaced"}) {
        writeFile(desktop / name, name);
        setModified(desktop / name, daysAgo(60));
    }
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));

    setModified(desktop / "touched", daysAgo(1));
    ASSERT_EQ(::unlink((desktop / "removed").constData()), 0);
    ASSERT_EQ(::unlink((desktop / "replaced").constData()), 0);
    writeFile(desktop / "replaced", "new content"); // modified now
    ASSERT_TRUE(runAndWait(engine, [&] { engine.cleanOldFiles(30); }));

    EXPECT_TRUE(exists(desktop / "touched"));
    EXPECT_EQ(readAll(desktop / "replaced"), "new content");
    EXPECT_TRUE(trashedNames(desktop).isEmpty());
    EXPECT_TRUE(QDir(QFile::decodeName(desktop.homeTrash() + "/info")).isEmpty());
}

TEST(Cleanup, TrashesLinksAndOddNamesAsTheyAre) {
    TempDesktop desktop;
    const QByteArray target = desktop.home().homeBytes() + "/projects";
    makeDir(target);
    writeFile(target + "/work", "precious");
    makeLink(target, desktop / "projects-link");
    makeLink("/gone/away", desktop / "dangling");
    const QByteArray odd("r\xe9sum\xe9\nv2.doc");
    writeFile(desktop / odd, "cv");
    for (const QByteArray& name : {QByteArray("projects-link"), QByteArray("dangling"), odd})
        setModified(desktop / name, daysAgo(90));
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));

    ASSERT_TRUE(runAndWait(engine, [&] { engine.cleanOldFiles(30); }));
    EXPECT_EQ(engine.fileCount(), 0);
    EXPECT_EQ(readAll(target + "/work"), "precious");
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/projects-link"));
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/dangling"));
    EXPECT_EQ(readAll(desktop.homeTrash() + "/files/" + odd), "cv");
    const QByteArray info = readAll(desktop.homeTrash() + "/info/" + odd + ".trashinfo");
    EXPECT_TRUE(info.contains("Path=" + Trash::encodePath(desktop / odd) + "\n"));
}

// A Desktop that leads to the home folder (a link, or an XDG setting naming
// a link to it) is scanned, but neither remedy touches the home's entries.
TEST(Remedies, NeverActOnTheHomeFolderThroughALink) {
    ScopedHome home;
    writeFile(home.homeBytes() + "/old-notes.txt", "keep me");
    setModified(home.homeBytes() + "/old-notes.txt", daysAgo(100));
    makeLink(home.homeBytes(), home.homeBytes() + "/Desktop");
    LoadEngine engine(home.homeBytes() + "/Desktop");
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_NE(findItem(engine, "old-notes.txt"), nullptr);

    ASSERT_TRUE(runAndWait(engine, [&] { engine.cleanOldFiles(30); }));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_EQ(readAll(home.homeBytes() + "/old-notes.txt"), "keep me");
    QList<QByteArray> names = listingOrder(home.homeBytes());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray>{"Desktop", "old-notes.txt"})); // no archive folder
    EXPECT_FALSE(exists(home.homeBytes() + "/.local/share/Trash/files/old-notes.txt"));
}

} // namespace
