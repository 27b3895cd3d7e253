#include "EngineTestSupport.h"
#include "LoadEngine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

// Runs the tool on one folder; its exit code and output.
std::pair<int, QByteArray> runTool(const QByteArray& dir) {
    QProcess process;
    process.start(QStringLiteral(PILEWATCH_SCAN_TOOL), {QFile::decodeName(dir)});
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput()};
}

TEST(ScanTool, PrintsOneScanAsOneLineOfJsonWithExactNameBytes) {
    TempDesktop desktop;
    const QByteArray odd("\xe9t\xe9\n.mp3");
    writeFile(desktop / odd, "123456789");
    setModified(desktop / odd, 1'234'567'890);
    makeDir(desktop / "Folder");
    writeFile(desktop / "Folder/inside", "1234");
    writeFile(desktop / "old", "1");
    const timespec beforeEpoch[2] = {{0, UTIME_OMIT}, {-2, 500'000'000}}; // -1.5 s
    ASSERT_EQ(::utimensat(AT_FDCWD, (desktop / "old").constData(), beforeEpoch, 0), 0);
    const QByteArray cwd = desktop.homeBytes() + "/\xff work",
                     previous = QFile::encodeName(QDir::currentPath());
    makeDir(cwd);
    ASSERT_EQ(::rename(desktop.path().constData(), (cwd + "/Desktop").constData()), 0);
    ASSERT_EQ(::chdir(cwd.constData()), 0);
    const auto [exitCode, out] = runTool("Desktop"); // relative to the working directory's bytes
    ASSERT_EQ(::chdir(previous.constData()), 0);
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(out.count('\n'), 1);
    const QJsonObject json = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(json["totalBytes"].toInteger(), 14);
    EXPECT_EQ(json["fileCount"].toInteger(), 3);
    EXPECT_EQ(json["status"].toString(), "Light");
    EXPECT_DOUBLE_EQ(json["loadPercent"].toDouble(), LoadEngine::loadFraction(14));
    const QJsonArray top = json["topItems"].toArray();
    ASSERT_EQ(top.size(), 3);
    const QJsonObject first = top[0].toObject();
    EXPECT_EQ(first["nameHex"].toString().toLatin1(), odd.toHex());
    EXPECT_EQ(first["name"].toString(), QString::fromUtf8(odd));
    EXPECT_TRUE(first["name"].toString().contains(QChar(0xFFFD)));
    EXPECT_EQ(first["size"].toInteger(), 9);
    EXPECT_EQ(first["modified"].toInteger(), 1'234'567'890);
    EXPECT_TRUE(top[1].toObject()["isDirectory"].toBool());
    EXPECT_EQ(top[2].toObject()["modified"].toInteger(), -2); // rounded down
    const QJsonArray categories = json["categoryBreakdown"].toArray();
    EXPECT_EQ(categories.size(), 3);
    EXPECT_EQ(categories.at(1).toObject()["name"].toString(), "Folders");
    EXPECT_EQ(categories.at(1).toObject()["bytes"].toInteger(), 4);
}

TEST(ScanTool, FailsWithTheEnginesErrorLineWhenTheFolderCannotBeListed) {
    TempDesktop desktop;
    const auto [exitCode, out] = runTool(desktop / "missing");
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(out.startsWith("Scan error: ") && out.contains("No such file or directory"));
    EXPECT_EQ(out.count('\n'), 1);
}

} // namespace
