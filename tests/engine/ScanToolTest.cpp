#include "EngineTestSupport.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

ToolRun runTool(const QList<QByteArray>& args) {
    QStringList arguments;
    for (const QByteArray& arg : args)
        arguments.append(QFile::decodeName(arg));
    QProcess process;
    process.start(QStringLiteral(PILEWATCH_SCAN_TOOL), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput()};
}

QJsonObject parse(const ToolRun& run) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.constData();
    EXPECT_TRUE(run.out.endsWith("}\n")) << "one object on one line";
    EXPECT_EQ(run.out.count('\n'), 1);
    return doc.object();
}

TEST(ScanTool, PrintsOneScanAsJsonWithExactNameBytes) {
    TempDesktop desktop;
    const QByteArray odd("\xe9t\xe9\n.mp3");
    writeFile(desktop / odd, "123456789");
    makeDir(desktop / "Folder");
    writeFile(desktop / "Folder/inside", "1234");
    setModified(desktop / odd, 1'234'567'890);

    const ToolRun run = runTool({desktop.path()});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject json = parse(run);
    EXPECT_EQ(json["totalBytes"].toInteger(), 13);
    EXPECT_EQ(json["fileCount"].toInteger(), 2);
    EXPECT_EQ(json["status"].toString(), "Light");
    EXPECT_DOUBLE_EQ(json["loadPercent"].toDouble(), LoadEngine::loadFraction(13));
    const QJsonArray top = json["topItems"].toArray();
    ASSERT_EQ(top.size(), 2);
    const QJsonObject first = top[0].toObject();
    EXPECT_EQ(first["nameHex"].toString().toLatin1(), odd.toHex());
    EXPECT_EQ(first["name"].toString(), QString::fromUtf8(odd));
    EXPECT_TRUE(first["name"].toString().contains(QChar(0xFFFD)));
    EXPECT_EQ(first["size"].toInteger(), 9);
    EXPECT_FALSE(first["isDirectory"].toBool());
    EXPECT_EQ(first["modified"].toInteger(), 1'234'567'890);
    EXPECT_TRUE(top[1].toObject()["isDirectory"].toBool());
    const QJsonArray categories = json["categoryBreakdown"].toArray();
    ASSERT_EQ(categories.size(), 2);
    EXPECT_EQ(categories[0].toObject()["name"].toString(), "Audio");
    EXPECT_EQ(categories[1].toObject()["bytes"].toInteger(), 4);
}

TEST(ScanTool, PrintsModificationTimesInWholeSecondsRoundedDown) {
    TempDesktop desktop;
    writeFile(desktop / "old", "1");
    const timespec halfSecondEarlier[2] = {{0, UTIME_OMIT}, {-2, 500'000'000}}; // 1969, -1.5 s
    ASSERT_EQ(::utimensat(AT_FDCWD, (desktop / "old").constData(), halfSecondEarlier,
                          AT_SYMLINK_NOFOLLOW),
              0);
    const QJsonObject json = parse(runTool({desktop.path()}));
    EXPECT_EQ(json["topItems"].toArray().at(0).toObject()["modified"].toInteger(), -2);
}

TEST(ScanTool, ResolvesARelativeFolderFromTheWorkingDirectorysOwnBytes) {
    TempDesktop desktop;
    const QByteArray cwd = desktop / "\xff\xfe work";
    makeDir(cwd);
    makeDir(cwd + "/sub");
    writeFile(cwd + "/sub/a.txt", "1234");
    // The shell enters the folder from octal escapes, so its exact bytes
    // become the tool's working directory.
    QString octal;
    for (const char c : cwd)
        octal += QString::asprintf("\\0%03o", unsigned(static_cast<unsigned char>(c)));
    QProcess process;
    process.start("/bin/sh", {"-c", R"sh(cd "$(printf '%b' "$1")" && exec "$2" sub)sh", "sh", octal,
                              QStringLiteral(PILEWATCH_SCAN_TOOL)});
    process.waitForFinished(30000);
    const ToolRun run{process.exitCode(), process.readAllStandardOutput()};
    ASSERT_EQ(run.exitCode, 0) << run.out.constData();
    EXPECT_EQ(parse(run)["totalBytes"].toInteger(), 4);
}

TEST(ScanTool, FailsWithTheEnginesErrorLineWhenTheFolderCannotBeListed) {
    TempDesktop desktop;
    const ToolRun run = runTool({desktop / "missing"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith("Scan error: ")) << run.out.constData();
    EXPECT_EQ(run.out.count('\n'), 1);
}

TEST(ScanTool, RunsTheRemediesAndPrintsTheFollowUpScan) {
    TempDesktop desktop;
    writeFile(desktop / "old.txt", "old");
    setModified(desktop / "old.txt", 1'000'000'000);
    writeFile(desktop / "new.txt", "new!");

    const QJsonObject cleaned = parse(runTool({"--clean-old", "30", desktop.path()}));
    EXPECT_EQ(cleaned["fileCount"].toInteger(), 1);
    EXPECT_TRUE(exists(desktop.homeTrash() + "/files/old.txt"));

    const QJsonObject archived = parse(runTool({"--archive", desktop.path()}));
    const QJsonArray top = archived["topItems"].toArray();
    ASSERT_EQ(top.size(), 1);
    EXPECT_EQ(top[0].toObject()["name"].toString(),
              "DesktopArchive_" + QDate::currentDate().toString(u"yyyy-MM-dd"));
    EXPECT_EQ(top[0].toObject()["size"].toInteger(), 4);
}

} // namespace
