#include "LoadEngine.h"

#include "EngineTestSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QThread>
#include <climits>
#include <optional>

namespace {

// Counts the engine's publications and failures while alive.
struct EngineWatch : QObject {
    explicit EngineWatch(LoadEngine& engine) {
        connect(&engine, &LoadEngine::stateChanged, this, [this] { ++published; });
        connect(&engine, &LoadEngine::scanFailed, this, [this] { ++failed; });
    }
    int published = 0;
    int failed = 0;
};

// Runs an operation that ends with a scan (by default a plain scan) and waits
// for it; true when exactly that scan was published.
bool scanAndWait(LoadEngine& engine, const std::function<void()>& operation = {}) {
    const EngineWatch watch(engine);
    operation ? operation() : engine.scan();
    return waitUntil([&] { return watch.published + watch.failed > 0; }, 20000) &&
           watch.published == 1;
}

// The top item of that name; a test failure when there is none.
const LoadEngine::FileItem& findItem(const LoadEngine& engine, const QByteArray& rawName) {
    static const LoadEngine::FileItem missing({}, {}, -1, false, {});
    for (const auto& item : engine.topItems())
        if (item.rawName() == rawName)
            return item;
    ADD_FAILURE() << "no top item named " << rawName.toHex().constData();
    return missing;
}

std::optional<qint64> categoryBytes(const LoadEngine& engine, const QString& name) {
    for (const auto& category : engine.categoryBreakdown())
        if (category.name == name)
            return category.bytes;
    return std::nullopt;
}

using Status = LoadEngine::LoadStatus;
constexpr qint64 GiB = 1024LL * 1024 * 1024;

TEST(LoadModel, StatusChangesExactlyAtTheByteBoundaries) {
    const std::pair<qint64, Status::Case> cases[] = {
        {0, Status::light},          {GiB - 1, Status::light},     {GiB, Status::moderate},
        {4 * GiB, Status::heavy},    {7 * GiB - 1, Status::heavy}, {7 * GiB, Status::critical},
        {20 * GiB, Status::critical}};
    for (const auto& [bytes, status] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(LoadEngine::statusFor(LoadEngine::loadFraction(bytes)).value(), status);
        EXPECT_EQ(Status::fromRawValue(Status(status).rawValue())->value(), status);
    }
    EXPECT_EQ(LoadEngine::loadFraction(20 * GiB), 1.0);
    EXPECT_FALSE(Status::fromRawValue("light").has_value());
    EXPECT_FALSE(Status::fromRawValue("").has_value());
    EXPECT_EQ(LoadEngine::catColor("folders"), NamedColor::gray);
}

TEST(Scan, EmptyDesktopThenAMissingOneKeepsTheLastResult) {
    TempDesktop desktop;
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine, [&] { engine.startMonitoring(); })); // scans at once
    engine.stopMonitoring();
    EXPECT_EQ(engine.totalBytes(), 0);
    EXPECT_EQ(engine.fileCount(), 0);
    EXPECT_EQ(engine.loadPercent(), 0.0);
    EXPECT_EQ(engine.status().value(), Status::light);
    EXPECT_TRUE(engine.topItems().isEmpty() && engine.categoryBreakdown().isEmpty());
    writeFile(desktop / "kept.txt", "123456");
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_EQ(::rename(desktop.path().constData(), (desktop.path() + "-moved").constData()), 0);
    EngineWatch watch(engine);
    engine.scan();
    ASSERT_TRUE(waitUntil([&] { return watch.failed == 1; }));
    EXPECT_EQ(watch.published, 0);
    EXPECT_EQ(engine.totalBytes(), 6);
    EXPECT_EQ(engine.fileCount(), 1);
}

// Folders one level deep, hidden entries, links and odd names on one Desktop.
TEST(Scan, SizesEachEntryByItsOwnBytesOnly) {
    TempDesktop desktop;
    const QByteArray folder = desktop / "Projects", target = desktop.homeBytes() + "/elsewhere";
    makeDir(folder);
    writeFile(folder + "/notes", "abc");
    writeFile(folder + "/.hidden", "1234567"); // hidden inside a folder still counts
    makeDir(folder + "/sub");
    makeSparseFile(folder + "/sub/huge.iso", 5 * GiB);
    makeSparseFile(desktop / ".cache-file", 3 * GiB);
    makeDir(target);
    makeSparseFile(target + "/large.mkv", 3 * GiB);
    makeLink(target, desktop / "shortcut");
    makeLink("/nonexistent/file.mp4", desktop / "dangling.mp4");
    const QByteArray latin1("caf\xe9 \xff.PDF"), newline("two\nlines%20.txt");
    writeFile(desktop / latin1, "12345");
    writeFile(desktop / newline, "123");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    const qint64 folderSize = 3 + 7 + QFileInfo(QFile::decodeName(folder + "/sub")).size();
    EXPECT_EQ(engine.fileCount(), 5);
    EXPECT_EQ(engine.totalBytes(), folderSize + target.size() + 21 + 5 + 3);
    EXPECT_EQ(findItem(engine, "Projects").size, folderSize);
    EXPECT_EQ(categoryBytes(engine, "Folders"), folderSize);
    EXPECT_FALSE(findItem(engine, "shortcut").isDirectory);
    EXPECT_EQ(findItem(engine, "shortcut").size, target.size());
    EXPECT_EQ(categoryBytes(engine, "Videos"), 21);
    EXPECT_EQ(categoryBytes(engine, "Documents"), 8);
    const auto& item = findItem(engine, latin1);
    EXPECT_EQ(item.url, desktop / latin1);
    EXPECT_TRUE(item.name.startsWith("caf") && item.name.contains(QChar(0xFFFD)));
    EXPECT_EQ(findItem(engine, newline).name, QString::fromUtf8(newline));
}

TEST(Scan, ClassifiesByLowerCasedExtensionAndGivesEachScanNewIds) {
    TempDesktop desktop;
    const std::pair<QByteArray, int> files[] = {
        {"Photo.JPG", 8}, {"backup.tar.gz", 4}, {"README", 2}, {"x.app", 1}};
    for (const auto& [name, size] : files)
        makeSparseFile(desktop / name, size);
    makeDir(desktop / "pictures.png");
    makeDir(desktop / "Empty.app"); // a bundle-like folder is a folder
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    const LoadEngine::Snapshot first = engine.state();
    QList<std::pair<QString, qint64>> breakdown;
    for (const auto& category : first.categoryBreakdown)
        breakdown.append({category.name, category.bytes});
    EXPECT_EQ(breakdown,
              (QList<std::pair<QString, qint64>>{
                  {"Images", 8}, {"Archives", 4}, {"Other", 2}, {"Apps", 1}, {"Folders", 0}}));
    EXPECT_EQ(first.categoryBreakdown[0].color, NamedColor::pink);
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.topItems()[0].url, first.topItems[0].url);
    EXPECT_NE(engine.topItems()[0].id, first.topItems[0].id);
    EXPECT_NE(engine.categoryBreakdown()[0].id, first.categoryBreakdown[0].id);
}

TEST(Scan, KeepsTheEightHeaviestInStableOrder) {
    TempDesktop desktop;
    const qint64 sizes[] = {50, 700, 300, 300, 10, 900, 300, 20, 800, 40, 30};
    for (int i = 0; i < 11; ++i)
        makeSparseFile(desktop / ("f" + QByteArray::number(i)), sizes[i]);
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.fileCount(), 11);
    QList<qint64> topSizes;
    QStringList topTies, listedTies;
    for (const auto& item : engine.topItems()) {
        topSizes.append(item.size);
        if (item.size == 300)
            topTies.append(item.name);
    }
    EXPECT_EQ(topSizes, (QList<qint64>{900, 800, 700, 300, 300, 300, 50, 40}));
    for (const QString& name : entriesOf(desktop.path(), QDir::Unsorted))
        if (QStringList{"f2", "f3", "f6"}.contains(name))
            listedTies.append(name);
    EXPECT_EQ(topTies, listedTies);
}

// A result is published only when its scan started after the published one's,
// and never reaches an engine destroyed in the meantime.
TEST(Publication, DropsStaleResultsAndSparesADestroyedEngine) {
    TempDesktop desktop;
    writeFile(desktop / "moved-away.txt", "old state");
    LoadEngine engine(desktop.path());
    const quint64 earlyScan = LoadEngineTestHook::beginScan(engine);
    ScanOutcome early = DesktopScanner(desktop.path()).run();
    ASSERT_TRUE(early.snapshot.has_value());
    ASSERT_EQ(::unlink((desktop / "moved-away.txt").constData()), 0);
    writeFile(desktop / "new.txt", "new");
    ASSERT_TRUE(scanAndWait(engine)); // started later, finished first
    EngineWatch watch(engine);
    LoadEngineTestHook::deliver(engine, earlyScan, std::move(early));
    EXPECT_EQ(watch.published, 0);
    ASSERT_EQ(engine.topItems().size(), 1);
    EXPECT_EQ(engine.topItems()[0].rawName(), "new.txt");
    int published = 0;
    {
        LoadEngine destroyed(desktop.path());
        QObject::connect(&destroyed, &LoadEngine::stateChanged, [&] { ++published; });
        destroyed.scan();
    }
    ASSERT_TRUE(scanAndWait(engine)); // arrives after the destroyed engine's would have
    QCoreApplication::processEvents();
    EXPECT_EQ(published, 0);
}

// One expensive rescan after a quiet stretch draws on the reserve and waits
// only the shortest cool-down; the next one overdraws it and waits until the
// debt is paid back at a hundredth of the time passing.
TEST(Pacing, ARescanDrawsOnTheReserveAndAnOverdrawnOneWaitsForThePayBack) {
    TempDesktop desktop;
    LoadEngine engine(desktop.path());
    const qint64 costMs = LoadEngine::rescanReserveCpuMs * 3 / 4;
    EXPECT_EQ(LoadEngineTestHook::coolDownAfterRescan(engine, costMs), LoadEngine::minCoolDownMs);
    const qint64 debtMs = 2 * costMs - LoadEngine::rescanReserveCpuMs;
    EXPECT_NEAR(LoadEngineTestHook::coolDownAfterRescan(engine, costMs),
                debtMs * LoadEngine::rescanCostFactor, 20);
    // A rescan far too costly to repeat soon waits the longest cool-down and
    // owes no more than that wait pays back, so time passing shortens the next.
    EXPECT_EQ(LoadEngineTestHook::coolDownAfterRescan(engine, 10'000),
              LoadEngine::monitoringIntervalMs);
    QThread::msleep(200);
    EXPECT_LT(LoadEngineTestHook::coolDownAfterRescan(engine, 0), LoadEngine::monitoringIntervalMs);
}

TEST(DesktopLocation, UsesTheXdgDesktopFolderButNeverTheHomeFolderItself) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"$HOME/Schreibtisch", "/Schreibtisch"}, {"$HOME/", "/Desktop"}, {"$HOME", "/Desktop"}};
    for (const auto& [setting, expected] : cases) {
        SCOPED_TRACE(setting.constData());
        ScopedHome home;
        writeFile(QFile::encodeName(home.configHome()) + "/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"" + setting + "\"\n");
        EXPECT_EQ(LoadEngine().desktopPath(), home.homeBytes() + expected);
    }
    // A home folder whose name is not valid UTF-8 keeps its exact bytes.
    ScopedHome home;
    const QByteArray oddHome = home.homeBytes() + "/caf\xe9";
    makeDir(oddHome);
    qputenv("HOME", oddHome);
    EXPECT_EQ(LoadEngine().desktopPath(), oddHome + "/Desktop");
}

constexpr qint64 day = 86'400;

qint64 daysAgo(int days) {
    return QDateTime::currentSecsSinceEpoch() - days * day;
}

QByteArray todaysArchive(const TempDesktop& desktop) {
    return desktop / ("DesktopArchive_" + QDate::currentDate().toString(u"yyyy-MM-dd").toLatin1());
}

TEST(Cleanup, CutoffIsWholeDaysOfSecondsBeforeNowEvenAtTheExtremes) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000);
    const auto cutoff = [&](int days) { return LoadEngineTestHook::cleanupCutoff(days, now); };
    EXPECT_EQ(cutoff(30).toSecsSinceEpoch(), 1'800'000'000 - 30 * day);
    EXPECT_EQ(cutoff(0), now);
    const qint64 farAway = 5'000'000 * 365 * day;
    EXPECT_TRUE(cutoff(INT_MAX).isValid() && cutoff(INT_MAX).toSecsSinceEpoch() < -farAway);
    EXPECT_TRUE(cutoff(INT_MIN).isValid() && cutoff(INT_MIN).toSecsSinceEpoch() > farAway);
}

TEST(Remedies, WithNothingScannedMoveNothingButStillScan) {
    TempDesktop desktop;
    writeFile(desktop / "old", "1");
    setModified(desktop / "old", daysAgo(100));
    LoadEngine archiver(desktop.path()), cleaner(desktop.path());
    ASSERT_TRUE(scanAndWait(archiver, [&] { archiver.archiveToFolder(); }));
    EXPECT_EQ(archiver.fileCount(), 2);
    EXPECT_TRUE(entriesOf(todaysArchive(desktop)).isEmpty());
    ASSERT_TRUE(scanAndWait(cleaner, [&] { cleaner.cleanOldFiles(30); }));
    EXPECT_EQ(cleaner.fileCount(), 2);
    ASSERT_TRUE(scanAndWait(cleaner, [&] { cleaner.cleanOldFiles(30); })); // now it is listed
    EXPECT_EQ(entriesOf(desktop.homeTrash() + "/files"), QStringList{"old"});
}

TEST(Cleanup, TrashesOnlyEntriesAmongTheEightHeaviestThatAreStillBeforeTheCutoff) {
    TempDesktop desktop;
    const qint64 cutoff = daysAgo(30);
    for (int i = 1; i <= 10; ++i) {
        makeSparseFile(desktop / ("f" + QByteArray::number(i)), i * 1000);
        setModified(desktop / ("f" + QByteArray::number(i)), i == 7 ? cutoff : cutoff - 1);
    }
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    setModified(desktop / "f10", daysAgo(1)); // touched since the scan
    ASSERT_EQ(::unlink((desktop / "f9").constData()), 0);
    writeFile(desktop / "f8", "replaced"); // modified now
    ASSERT_TRUE(scanAndWait(engine, [&] {
        LoadEngineTestHook::trashItemsModifiedBefore(engine, QDateTime::fromSecsSinceEpoch(cutoff));
    }));
    EXPECT_EQ(entriesOf(desktop.homeTrash() + "/files"), (QStringList{"f3", "f4", "f5", "f6"}));
    EXPECT_EQ(entriesOf(desktop.homeTrash() + "/info").size(), 4);
    EXPECT_EQ(entriesOf(desktop.path()), (QStringList{"f1", "f10", "f2", "f7", "f8"}));
    EXPECT_EQ(readAll(desktop / "f8"), "replaced");
}

// A Desktop that leads to the home folder (here through a link) or to a
// folder above it is scanned, but neither remedy touches its entries.
TEST(Remedies, NeverActOnTheHomeFolderOrAFolderAboveIt) {
    const std::function<QByteArray(const QByteArray&)> desktopsIn[] = {
        [](const QByteArray& home) {
            makeLink(home, home + "/Desktop");
            return home + "/Desktop";
        },
        [](const QByteArray& home) {
            makeDir(home + "/me");
            qputenv("HOME", home + "/me"); // ScopedHome restores it
            return home;
        }};
    for (const auto& desktopIn : desktopsIn) {
        ScopedHome home;
        const QByteArray notes = home.homeBytes() + "/old-notes.txt";
        writeFile(notes, "keep me");
        setModified(notes, daysAgo(100));
        LoadEngine engine(desktopIn(home.homeBytes()));
        SCOPED_TRACE(engine.desktopPath().constData());
        const QStringList entries = entriesOf(home.homeBytes());
        ASSERT_TRUE(scanAndWait(engine));
        ASSERT_EQ(engine.fileCount(), 2);
        EXPECT_EQ(findItem(engine, "old-notes.txt").url, engine.desktopPath() + "/old-notes.txt");
        ASSERT_TRUE(scanAndWait(engine, [&] { engine.cleanOldFiles(30); }));
        ASSERT_TRUE(scanAndWait(engine, [&] { engine.archiveToFolder(); }));
        EXPECT_EQ(entriesOf(home.homeBytes()), entries);
        EXPECT_EQ(readAll(notes), "keep me");
    }
}

// The second archive of the day finds today's folder among the heaviest: it
// stays, names already in it stay on the Desktop, an earlier archive moves in.
TEST(Archive, MovesOddNamesAndLinksAndNeverOverwritesOrMovesTodaysFolder) {
    TempDesktop desktop;
    const QByteArray odd("\xff\xfe line\none %41"), target = desktop.homeBytes() + "/photos";
    const QByteArray today = todaysArchive(desktop),
                     earlier = desktop / "DesktopArchive_2001-01-01";
    writeFile(desktop / "report.pdf", "first");
    writeFile(desktop / odd, "odd");
    makeDir(target);
    makeLink(target, desktop / "photos-link");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(scanAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_EQ(readAll(today + "/" + odd), "odd");
    EXPECT_EQ(QFile::symLinkTarget(QFile::decodeName(today + "/photos-link")),
              QFile::decodeName(target));
    EXPECT_TRUE(entriesOf(target).isEmpty() && exists(target));
    writeFile(desktop / "report.pdf", "second");
    makeDir(earlier);
    writeFile(earlier + "/e", "e");
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_TRUE(scanAndWait(engine, [&] { engine.archiveToFolder(); }));
    EXPECT_EQ(readAll(today + "/report.pdf"), "first");
    EXPECT_EQ(readAll(desktop / "report.pdf"), "second");
    EXPECT_EQ(readAll(today + "/DesktopArchive_2001-01-01/e"), "e");
    EXPECT_EQ(entriesOf(desktop.path()).size(), 2); // today's folder and report.pdf
}

} // namespace
