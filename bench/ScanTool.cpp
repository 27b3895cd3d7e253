// pilewatch-scan: runs the load engine on a folder and prints the published
// state as one JSON object. A developer tool; not part of the app.
//
//   pilewatch-scan DIR
//   pilewatch-scan --clean-old DAYS DIR
//   pilewatch-scan --archive DIR
//
// The remedies run after a first scan, exactly as the app runs them; the
// state printed is the follow-up scan's. Exit status 1 when DIR cannot be
// listed (after the engine's own "Scan error: " line), 2 on bad usage.

#include "EngineWait.h"
#include "LoadEngine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

struct Request {
    enum class Remedy { none, cleanOld, archive } remedy = Remedy::none;
    int days = 0;
    QByteArray dir;
};

// The folder as exact bytes from the command line, made absolute (from the
// working directory's own bytes) so the remedies get absolute paths.
QByteArray folderArgument(const char* arg) {
    const QByteArray dir(arg);
    if (dir.startsWith('/'))
        return dir;
    const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? QByteArray(cwd.get()) + '/' + dir : dir;
}

std::optional<Request> parse(int argc, char** argv) {
    const auto is = [&](int i, const char* flag) { return std::strcmp(argv[i], flag) == 0; };
    Request request;
    if (argc == 2 && argv[1][0] != '-') {
        request.dir = folderArgument(argv[1]);
        return request;
    }
    if (argc == 3 && is(1, "--archive")) {
        request.remedy = Request::Remedy::archive;
        request.dir = folderArgument(argv[2]);
        return request;
    }
    bool ok = false;
    if (argc == 4 && is(1, "--clean-old")) {
        request.days = QByteArray(argv[2]).toInt(&ok);
        request.remedy = Request::Remedy::cleanOld;
        request.dir = folderArgument(argv[3]);
    }
    return ok ? std::optional(request) : std::nullopt;
}

// Whole seconds since the epoch, rounded down as the file system counts them
// (an instant half a second before 1970 is second -1, not 0).
qint64 unixSeconds(const QDateTime& time) {
    const qint64 msecs = time.toMSecsSinceEpoch();
    return msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
}

QJsonObject toJson(const LoadEngine::FileItem& item) {
    const QByteArray raw = item.rawName();
    return {{"name", QString::fromUtf8(raw)},
            {"nameHex", QString::fromLatin1(raw.toHex())},
            {"size", item.size},
            {"isDirectory", item.isDirectory},
            {"modified", unixSeconds(item.modified)}};
}

QJsonObject toJson(const LoadEngine& engine) {
    QJsonArray top;
    for (const auto& item : engine.topItems())
        top.append(toJson(item));
    QJsonArray categories;
    for (const auto& category : engine.categoryBreakdown())
        categories.append(QJsonObject{{"name", category.name}, {"bytes", category.bytes}});
    return {{"totalBytes", engine.totalBytes()},
            {"fileCount", engine.fileCount()},
            {"loadPercent", engine.loadPercent()},
            {"status", engine.status().rawValue()},
            {"topItems", top},
            {"categoryBreakdown", categories}};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Request> request = parse(argc, argv);
    if (!request) {
        std::fputs("usage: pilewatch-scan [--clean-old DAYS | --archive] DIR\n", stderr);
        return 2;
    }
    LoadEngine engine(request->dir);
    if (!runAndWait(engine, [&] { engine.scan(); }))
        return 1;
    using Remedy = Request::Remedy;
    if (request->remedy == Remedy::cleanOld &&
        !runAndWait(engine, [&] { engine.cleanOldFiles(request->days); }))
        return 1;
    if (request->remedy == Remedy::archive &&
        !runAndWait(engine, [&] { engine.archiveToFolder(); }))
        return 1;
    const QByteArray json = QJsonDocument(toJson(engine)).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    std::fputc('\n', stdout);
    return 0;
}
