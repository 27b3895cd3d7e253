#include "EngineTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace {

constexpr qint64 GiB = 1024LL * 1024 * 1024;

// --- Load model -------------------------------------------------------------

TEST(LoadModel, StatusChangesExactlyAtTheByteBoundaries) {
    const auto statusOf = [](qint64 bytes) {
        return LoadEngine::statusFor(LoadEngine::loadFraction(bytes)).value();
    };
    EXPECT_EQ(statusOf(0), LoadEngine::LoadStatus::light);
    EXPECT_EQ(statusOf(1 * GiB - 1), LoadEngine::LoadStatus::light);
    EXPECT_EQ(statusOf(1 * GiB), LoadEngine::LoadStatus::moderate);
    EXPECT_EQ(statusOf(4 * GiB - 1), LoadEngine::LoadStatus::moderate);
    EXPECT_EQ(statusOf(4 * GiB), LoadEngine::LoadStatus::heavy);
    EXPECT_EQ(statusOf(7 * GiB - 1), LoadEngine::LoadStatus::heavy);
    EXPECT_EQ(statusOf(7 * GiB), LoadEngine::LoadStatus::critical);
    EXPECT_EQ(LoadEngine::loadFraction(20 * GiB), 1.0);
    EXPECT_EQ(statusOf(20 * GiB), LoadEngine::LoadStatus::critical);
    EXPECT_DOUBLE_EQ(LoadEngine::loadFraction(5 * GiB), 0.5);
}

TEST(LoadModel, StatusRawValuesIconsAndColors) {
    using S = LoadEngine::LoadStatus;
    for (const S::Case c : {S::light, S::moderate, S::heavy, S::critical})
        EXPECT_EQ(S::fromRawValue(S(c).rawValue())->value(), c);
    EXPECT_FALSE(S::fromRawValue("light").has_value());
    EXPECT_FALSE(S::fromRawValue("").has_value());
    EXPECT_EQ(S(S::heavy).icon(), "folder.badge.plus");
    EXPECT_EQ(S(S::critical).icon(), "exclamationmark.triangle.fill");
    EXPECT_EQ(S(S::light).color(), NamedColor::green);
    EXPECT_EQ(S(S::critical).color(), NamedColor::red);
}

TEST(LoadModel, CategoryRulesAndColors) {
    EXPECT_EQ(LoadEngine::category("png", true), "Folders");
    EXPECT_EQ(LoadEngine::category("jpg", false), "Images");
    EXPECT_EQ(LoadEngine::category("JPG", false), "Other"); // callers lower-case first
    EXPECT_EQ(LoadEngine::category("gz", false), "Archives");
    EXPECT_EQ(LoadEngine::category("app", false), "Apps");
    EXPECT_EQ(LoadEngine::category("", false), "Other");
    EXPECT_EQ(LoadEngine::catColor("Folders"), NamedColor::yellow);
    EXPECT_EQ(LoadEngine::catColor("Audio"), NamedColor::cyan);
    EXPECT_EQ(LoadEngine::catColor("folders"), NamedColor::gray);
    EXPECT_EQ(LoadEngine::catColor("Anything"), NamedColor::gray);
}

// --- Scanning ---------------------------------------------------------------

TEST(Scan, EmptyDesktopPublishesTheInitialValuesOnce) {
    TempDesktop desktop;
    LoadEngine engine(desktop.path());
    EngineWatch watch(engine);
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(watch.published, 1);
    EXPECT_EQ(engine.totalBytes(), 0);
    EXPECT_EQ(engine.fileCount(), 0);
    EXPECT_EQ(engine.loadPercent(), 0.0);
    EXPECT_EQ(engine.status().value(), LoadEngine::LoadStatus::light);
    EXPECT_TRUE(engine.topItems().isEmpty());
    EXPECT_TRUE(engine.categoryBreakdown().isEmpty());
}

TEST(Scan, SizesFoldersOneLevelDeepAndSkipsHiddenEntries) {
    TempDesktop desktop;
    const QByteArray folder = desktop / "Projects";
    makeDir(folder);
    writeFile(folder + "/notes", "abc");
    writeFile(folder + "/.hidden", "1234567"); // hidden inside a folder still counts
    makeDir(folder + "/sub");
    makeDir(folder + "/sub/deeper");
    makeSparseFile(folder + "/sub/deeper/huge.iso", 5 * GiB);
    makeSparseFile(folder + "/sub/big.bin", 2 * GiB); // inside the subfolder: not counted
    makeSparseFile(desktop / ".cache-file", 3 * GiB);
    makeDir(desktop / ".hidden-folder");
    writeFile(desktop / "plain.txt", "hello");

    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    const qint64 folderSize = 3 + 7 + ownSize(folder + "/sub");
    EXPECT_EQ(engine.fileCount(), 2);
    EXPECT_EQ(engine.totalBytes(), folderSize + 5);
    ASSERT_NE(findItem(engine, "Projects"), nullptr);
    EXPECT_EQ(findItem(engine, "Projects")->size, folderSize);
    EXPECT_TRUE(findItem(engine, "Projects")->isDirectory);
    EXPECT_EQ(findItem(engine, ".cache-file"), nullptr);
    EXPECT_EQ(engine.status().value(), LoadEngine::LoadStatus::light);
}

TEST(Scan, ClassifiesByLowerCasedExtensionAndKeepsZeroByteCategories) {
    TempDesktop desktop;
    writeFile(desktop / "Photo.JPG", "12345678");
    writeFile(desktop / "backup.tar.gz", "1234");
    writeFile(desktop / "README", "12");
    writeFile(desktop / "x.app", "1");
    makeDir(desktop / "pictures.png");
    makeDir(desktop / "Empty.app"); // a bundle-like folder is a folder

    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(categoryBytes(engine, "Images"), 8);
    EXPECT_EQ(categoryBytes(engine, "Archives"), 4);
    EXPECT_EQ(categoryBytes(engine, "Other"), 2);
    EXPECT_EQ(categoryBytes(engine, "Apps"), 1);
    EXPECT_EQ(categoryBytes(engine, "Folders"), 0); // two empty folders
    EXPECT_FALSE(categoryBytes(engine, "Videos").has_value());
    const auto& breakdown = engine.categoryBreakdown();
    ASSERT_EQ(breakdown.size(), 5);
    for (qsizetype i = 1; i < breakdown.size(); ++i)
        EXPECT_GE(breakdown[i - 1].bytes, breakdown[i].bytes);
    EXPECT_EQ(breakdown.front().name, "Images");
    EXPECT_EQ(breakdown.front().color, NamedColor::pink);
    EXPECT_EQ(breakdown.back().name, "Folders");
}

TEST(Scan, KeepsTheEightHeaviestInStableOrder) {
    TempDesktop desktop;
    const qint64 sizes[] = {50, 700, 300, 300, 10, 900, 300, 20, 800, 40, 30};
    for (int i = 0; i < 11; ++i)
        makeSparseFile(desktop / ("f" + QByteArray::number(i)), sizes[i]);

    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.fileCount(), 11);
    const auto& top = engine.topItems();
    ASSERT_EQ(top.size(), 8);
    QList<qint64> topSizes;
    for (const auto& item : top)
        topSizes.append(item.size);
    EXPECT_EQ(topSizes, (QList<qint64>{900, 800, 700, 300, 300, 300, 50, 40}));

    // The three equal sizes keep the order the file system lists them in.
    QList<QByteArray> listedTies;
    for (const QByteArray& name : listingOrder(desktop.path()))
        if (ownSize(desktop / name) == 300)
            listedTies.append(name);
    EXPECT_EQ((QList<QByteArray>{top[3].rawName(), top[4].rawName(), top[5].rawName()}),
              listedTies);
}

TEST(Scan, PublishesWholeGibibytesAtTheStatusBoundary) {
    TempDesktop desktop;
    makeSparseFile(desktop / "disk.img", 1 * GiB);
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.status().value(), LoadEngine::LoadStatus::moderate);
    makeSparseFile(desktop / "disk.img", 1 * GiB - 1);
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.status().value(), LoadEngine::LoadStatus::light);
    makeSparseFile(desktop / "disk.img", 20 * GiB);
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.loadPercent(), 1.0);
    EXPECT_EQ(engine.status().value(), LoadEngine::LoadStatus::critical);
}

TEST(Scan, NeverFollowsLinksOnTheDesktop) {
    TempDesktop desktop;
    const QByteArray target = desktop.home().homeBytes() + "/elsewhere";
    makeDir(target);
    makeSparseFile(target + "/large.mkv", 3 * GiB);
    makeLink(target, desktop / "shortcut");
    makeLink("/nonexistent/target/file.mp4", desktop / "dangling.mp4");

    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    const auto* link = findItem(engine, "shortcut");
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->isDirectory);
    EXPECT_EQ(link->size, target.size());
    const auto* dangling = findItem(engine, "dangling.mp4");
    ASSERT_NE(dangling, nullptr);
    EXPECT_EQ(dangling->size, qint64(strlen("/nonexistent/target/file.mp4")));
    EXPECT_EQ(categoryBytes(engine, "Videos"), dangling->size);
    EXPECT_FALSE(categoryBytes(engine, "Folders").has_value());
}

TEST(Scan, FollowsADesktopThatIsItselfALink) {
    ScopedHome home;
    const QByteArray real = home.homeBytes() + "/RealDesktop";
    makeDir(real);
    writeFile(real + "/a.txt", "abcd");
    makeLink(real, home.homeBytes() + "/Desktop");
    LoadEngine engine(home.homeBytes() + "/Desktop");
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.totalBytes(), 4);
    ASSERT_EQ(engine.topItems().size(), 1);
    EXPECT_EQ(engine.topItems()[0].url, home.homeBytes() + "/Desktop/a.txt");
}

TEST(Scan, KeepsNamesThatAreNotUtf8OrHoldNewlinesByteExact) {
    TempDesktop desktop;
    const QByteArray latin1("caf\xe9 \xff.PDF");
    const QByteArray newline("two\nlines%20.txt");
    writeFile(desktop / latin1, "12345");
    writeFile(desktop / newline, "123");

    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.fileCount(), 2);
    const auto* item = findItem(engine, latin1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->url, desktop / latin1);
    EXPECT_EQ(item->size, 5);
    EXPECT_TRUE(item->name.contains(QChar(0xFFFD)));
    EXPECT_TRUE(item->name.startsWith("caf"));
    ASSERT_NE(findItem(engine, newline), nullptr);
    EXPECT_EQ(findItem(engine, newline)->name, QString::fromUtf8(newline));
    EXPECT_EQ(categoryBytes(engine, "Documents"), 8);
}

TEST(Scan, RecordsEachEntrysOwnModificationTime) {
    TempDesktop desktop;
    writeFile(desktop / "old.txt", "x");
    setModified(desktop / "old.txt", 1'000'000'000);
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    EXPECT_EQ(engine.topItems().at(0).modified.toSecsSinceEpoch(), 1'000'000'000);
}

TEST(Scan, TwoScansOfAnUnchangedDesktopGiveEqualValuesWithNewIds) {
    TempDesktop desktop;
    writeFile(desktop / "a.zip", "1234");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    const LoadEngine::Snapshot first = engine.state();
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_EQ(engine.topItems().size(), 1);
    EXPECT_EQ(engine.topItems()[0].url, first.topItems[0].url);
    EXPECT_EQ(engine.topItems()[0].size, first.topItems[0].size);
    EXPECT_NE(engine.topItems()[0].id, first.topItems[0].id);
    EXPECT_NE(engine.categoryBreakdown()[0].id, first.categoryBreakdown[0].id);
}

TEST(Scan, MissingDesktopPrintsAnErrorLineAndKeepsTheState) {
    TempDesktop desktop;
    writeFile(desktop / "kept.txt", "123456");
    LoadEngine engine(desktop.path());
    ASSERT_TRUE(scanAndWait(engine));
    ASSERT_EQ(::rename(desktop.path().constData(), (desktop.path() + "-moved").constData()), 0);

    EngineWatch watch(engine);
    StdoutCapture out;
    engine.scan();
    ASSERT_TRUE(waitUntil([&] { return watch.failed == 1; }));
    EXPECT_EQ(watch.published, 0);
    EXPECT_TRUE(watch.lastError.contains("No such file or directory"))
        << qPrintable(watch.lastError);
    EXPECT_EQ(out.text(), "Scan error: " + watch.lastError.toLocal8Bit() + "\n");
    EXPECT_EQ(engine.totalBytes(), 6);
    EXPECT_EQ(engine.fileCount(), 1);
}

// --- Publication order and monitoring ----------------------------------------

TEST(Publication, DropsAResultFromAScanThatStartedBeforeThePublishedOne) {
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
}

TEST(Publication, PublishesResultsOfLaterScansInAnyArrivalOrder) {
    TempDesktop desktop;
    LoadEngine engine(desktop.path());
    EngineWatch watch(engine);
    const quint64 first = LoadEngineTestHook::beginScan(engine);
    const quint64 second = LoadEngineTestHook::beginScan(engine);
    LoadEngine::Snapshot a;
    a.totalBytes = 1;
    LoadEngine::Snapshot b;
    b.totalBytes = 2;

    LoadEngineTestHook::deliver(engine, first, {a, {}});
    EXPECT_EQ(engine.totalBytes(), 1);
    LoadEngineTestHook::deliver(engine, second, {b, {}});
    EXPECT_EQ(engine.totalBytes(), 2);
    EXPECT_EQ(watch.published, 2);

    // A failure never replaces the state, whichever scan it came from.
    StdoutCapture out;
    LoadEngineTestHook::deliver(engine, LoadEngineTestHook::beginScan(engine), {{}, "gone"});
    EXPECT_EQ(engine.totalBytes(), 2);
    EXPECT_EQ(watch.failed, 1);
    EXPECT_EQ(out.text(), "Scan error: gone\n");
}

TEST(Publication, AnEngineDestroyedBeforeItsResultArrivesIsNeverTouched) {
    TempDesktop desktop;
    writeFile(desktop / "a", "1");
    int published = 0;
    {
        LoadEngine engine(desktop.path());
        QObject::connect(&engine, &LoadEngine::stateChanged, [&] { ++published; });
        engine.scan();
    }
    // A second engine's result arrives after the first one's would have.
    LoadEngine other(desktop.path());
    ASSERT_TRUE(scanAndWait(other));
    QCoreApplication::processEvents();
    EXPECT_EQ(published, 0);
}

TEST(Monitoring, ScansAtOnceThenEveryTwentySecondsUntilStopped) {
    TempDesktop desktop;
    writeFile(desktop / "a", "12");
    LoadEngine engine(desktop.path());
    EXPECT_FALSE(LoadEngineTestHook::isMonitoring(engine));
    ASSERT_TRUE(runAndWait(engine, [&] { engine.startMonitoring(); }));
    EXPECT_EQ(engine.totalBytes(), 2);
    EXPECT_TRUE(LoadEngineTestHook::isMonitoring(engine));
    EXPECT_EQ(LoadEngineTestHook::monitoringInterval(engine), 20'000);
    engine.stopMonitoring();
    EXPECT_FALSE(LoadEngineTestHook::isMonitoring(engine));
    EXPECT_EQ(engine.totalBytes(), 2);
}

// --- Desktop location ---------------------------------------------------------

void writeUserDirs(const ScopedHome& home, const QByteArray& desktopLine) {
    writeFile(QFile::encodeName(home.configHome()) + "/user-dirs.dirs",
              "XDG_DESKTOP_DIR=\"" + desktopLine + "\"\n");
}

TEST(DesktopLocation, UsesTheXdgDesktopFolder) {
    ScopedHome home;
    writeUserDirs(home, "$HOME/Schreibtisch");
    EXPECT_EQ(LoadEngine().desktopPath(), home.homeBytes() + "/Schreibtisch");
}

TEST(DesktopLocation, NeverWatchesTheHomeFolderItself) {
    ScopedHome home;
    writeUserDirs(home, "$HOME/");
    EXPECT_EQ(LoadEngine().desktopPath(), home.homeBytes() + "/Desktop");
}

} // namespace
