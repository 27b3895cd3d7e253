#include "EngineTestSupport.h"
#include "LoadEngine.h"
#include "PosixFs.h"

#include <QDate>
#include <QScopeGuard>

namespace {

constexpr qint64 day = 86'400;

qint64 daysAgo(int days) {
    return QDateTime::currentSecsSinceEpoch() - days * day;
}

// Runs an operation that ends with a scan and waits until the engine has
// published it.
void andWait(LoadEngine& engine, const std::function<void()>& operation) {
    int published = 0;
    const QMetaObject::Connection scanned =
        QObject::connect(&engine, &LoadEngine::stateChanged, [&] { ++published; });
    operation();
    EXPECT_TRUE(waitUntil([&] { return published > 0; }, 20000));
    QObject::disconnect(scanned);
}

void scan(LoadEngine& engine) {
    andWait(engine, [&] { engine.scan(); });
}

// Runs a remedy and waits for its scan; the outcome the engine reported.
RemedyOutcome runRemedy(LoadEngine& engine, const std::function<void()>& remedy) {
    RemedyOutcome outcome;
    const QMetaObject::Connection reported = QObject::connect(
        &engine, &LoadEngine::remedyFinished, [&](const RemedyOutcome& o) { outcome = o; });
    andWait(engine, remedy);
    QObject::disconnect(reported);
    return outcome;
}

UndoOutcome undoAndWait(LoadEngine& engine, const RemedyOutcome& outcome) {
    UndoOutcome undo;
    andWait(engine, [&] { undo = engine.undoRemedy(outcome); });
    return undo;
}

QList<QByteArray> originalPaths(const RemedyOutcome& outcome) {
    QList<QByteArray> paths;
    for (const RemedyOutcome::Moved& moved : outcome.moved)
        paths.append(moved.originalPath);
    return paths;
}

} // namespace

// Three old entries go to the Trash and one stays; Undo puts back the one
// whose place is free, byte-exact, and leaves in the Trash the one whose
// original path was taken and the one the Trash no longer holds as moved.
TEST(RemedyUndo, PutsBackTrashedEntriesOnlyToFreePathsAndOnlyWhenStillTheOnesMoved) {
    TempDesktop desktop;
    const QByteArray back("caf\xe9\nnote"), taken("taken.txt"), replaced("replaced.txt");
    for (const QByteArray& name : {back, taken, replaced}) {
        writeFile(desktop / name, name);
        setModified(desktop / name, daysAgo(40));
    }
    const Unmovable stuck(desktop / "<b>a&b", daysAgo(40));
    writeFile(desktop / "recent", "new");
    LoadEngine engine(desktop.path());
    scan(engine);

    const RemedyOutcome outcome = runRemedy(engine, [&] { engine.cleanOldFiles(30); });
    EXPECT_EQ(outcome.kind, RemedyOutcome::Kind::trash);
    EXPECT_EQ(outcome.days, 30);
    QList<QByteArray> moved = originalPaths(outcome);
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (QList<QByteArray>{desktop / back, desktop / replaced, desktop / taken}));
    ASSERT_EQ(outcome.stayed.size(), 1);
    EXPECT_EQ(outcome.stayed[0].path, desktop / "<b>a&b");
    EXPECT_TRUE(outcome.stayed[0].error == EPERM || outcome.stayed[0].error == EACCES);
    const QByteArray trash = desktop.homeTrash();
    EXPECT_EQ(readAll(trash + "/files/" + back), back);

    writeFile(desktop / taken, "a new one"); // the original path is taken meanwhile
    ASSERT_EQ(::unlink((trash + "/files/" + replaced).constData()), 0);
    writeFile(trash + "/files/" + replaced, "someone else's");
    const UndoOutcome undo = undoAndWait(engine, outcome);
    EXPECT_EQ(undo.restored, QList<QByteArray>{desktop / back});
    ASSERT_EQ(undo.kept.size(), 2);
    for (const RemedyOutcome::Stayed& kept : undo.kept)
        EXPECT_EQ(kept.error, kept.path == desktop / taken ? EEXIST : ENOENT);

    EXPECT_EQ(readAll(desktop / back), back);
    EXPECT_FALSE(exists(trash + "/info/" + back + ".trashinfo"));
    EXPECT_EQ(readAll(desktop / taken), "a new one");
    EXPECT_EQ(readAll(trash + "/files/" + taken), taken);
    EXPECT_TRUE(exists(trash + "/info/" + taken + ".trashinfo"));
    EXPECT_EQ(readAll(trash + "/files/" + replaced), "someone else's");
    EXPECT_TRUE(exists(trash + "/info/" + replaced + ".trashinfo"));
    EXPECT_FALSE(exists(desktop / replaced));
}

TEST(RemedyUndo, ArchiveUndoMovesEntriesBackAndRemovesOnlyAFolderItCreatedAndEmptied) {
    TempDesktop desktop;
    const QByteArray folder =
        desktop / ("DesktopArchive_" + QDate::currentDate().toString(u"yyyy-MM-dd").toLatin1());
    writeFile(desktop / "a", "a");
    writeFile(desktop / "b", "b");
    LoadEngine engine(desktop.path());
    scan(engine);
    RemedyOutcome outcome = runRemedy(engine, [&] { engine.archiveToFolder(); });
    EXPECT_TRUE(outcome.createdFolder);
    EXPECT_EQ(outcome.archiveFolder, folder);
    EXPECT_EQ(outcome.moved.size(), 2);
    UndoOutcome undo = undoAndWait(engine, outcome);
    EXPECT_EQ(undo.restored.size(), 2);
    EXPECT_EQ(entriesOf(desktop.path()), (QStringList{"a", "b"}));

    // Today's folder already holds an entry of an earlier archive: it stays.
    makeDir(folder);
    writeFile(folder + "/earlier", "e");
    writeFile(folder + "/b", "older b");
    scan(engine);
    outcome = runRemedy(engine, [&] { engine.archiveToFolder(); });
    EXPECT_FALSE(outcome.createdFolder);
    EXPECT_EQ(originalPaths(outcome), QList<QByteArray>{desktop / "a"});
    QStringList stayed;
    for (const RemedyOutcome::Stayed& s : outcome.stayed)
        stayed.append(QFile::decodeName(PosixFs::lastComponent(s.path)) + ':' +
                      QString::number(s.error));
    stayed.sort();
    EXPECT_EQ(stayed, (QStringList{QFile::decodeName(PosixFs::lastComponent(folder)) + ':' +
                                       QString::number(EINVAL),
                                   "b:" + QString::number(EEXIST)}));
    undo = undoAndWait(engine, outcome);
    EXPECT_EQ(undo.restored, QList<QByteArray>{desktop / "a"});
    EXPECT_EQ(entriesOf(folder), (QStringList{"b", "earlier"}));
    EXPECT_EQ(readAll(desktop / "b"), "b");
}
