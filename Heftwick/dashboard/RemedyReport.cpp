#include "RemedyReport.h"

#include "Platform/ByteFormat.h"
#include "engine/PosixFs.h"
#include "engine/Trash.h"

#include <QMap>
#include <cerrno>
#include <cstring>

namespace {

using Kind = RemedyOutcome::Kind;

// The first control picture, U+2400, stands for NUL; U+2421 for DEL.
constexpr char32_t controlPictures = 0x2400;
constexpr char32_t deletePicture = 0x2421;

QString quoted(const QByteArray& path) {
    return RemedyReport::tr("“%1”").arg(RemedyReport::displayName(path));
}

// Why an entry did not move, in a few plain words that follow "stayed: ".
QString reason(int error, Kind kind, bool undoing) {
    switch (error) {
    case EACCES:
    case EPERM:
        return RemedyReport::tr("permission denied");
    case ENOSPC:
    case EDQUOT:
        return RemedyReport::tr("the disk is full");
    case EROFS:
        return RemedyReport::tr("the drive is read-only");
    case EBUSY:
        return RemedyReport::tr("it is in use");
    case Trash::noTrash:
        return RemedyReport::tr("there is no Trash on its drive");
    case EXDEV:
        return RemedyReport::tr("it is on another drive");
    case EINVAL:
        return RemedyReport::tr("it is the archive folder itself");
    case ENOENT:
        if (!undoing)
            return RemedyReport::tr("it is no longer there");
        return kind == Kind::trash ? RemedyReport::tr("it is no longer in the Trash")
                                   : RemedyReport::tr("it is no longer in the archive folder");
    case EEXIST:
    case ENOTEMPTY:
        return undoing ? RemedyReport::tr("another item has taken its place")
                       : RemedyReport::tr("the archive folder already holds an item of that name");
    default:
        // The system's own words, in lower case to follow "stayed: ".
        QString text = QString::fromLocal8Bit(std::strerror(error));
        if (!text.isEmpty())
            text[0] = text[0].toLower();
        return text;
    }
}

// "“name”" for one entry, "2 items" for more.
QString countOrName(const QList<QByteArray>& paths) {
    return paths.size() == 1 ? quoted(paths.first())
                             : RemedyReport::tr("%n items", nullptr, int(paths.size()));
}

// One line per reason: "“a.txt” stayed: permission denied",
// "2 items stayed in the Trash: another item has taken its place".
QStringList stayedLines(const QList<RemedyOutcome::Stayed>& stayed, Kind kind, bool undoing) {
    QMap<QString, QList<QByteArray>> byReason;
    QStringList order;
    for (const RemedyOutcome::Stayed& entry : stayed) {
        const QString why = reason(entry.error, kind, undoing);
        if (!byReason.contains(why))
            order.append(why);
        byReason[why].append(entry.path);
    }
    QStringList lines;
    for (const QString& why : order) {
        const QString who = countOrName(byReason[why]);
        if (!undoing)
            lines.append(RemedyReport::tr("%1 stayed: %2").arg(who, why));
        else if (kind == Kind::trash)
            lines.append(RemedyReport::tr("%1 stayed in the Trash: %2").arg(who, why));
        else
            lines.append(RemedyReport::tr("%1 stayed in the archive folder: %2").arg(who, why));
    }
    return lines;
}

// "2 items (4.2 GB)" or "“report.pdf” (1.2 GB)".
QString movedPart(const QList<RemedyOutcome::Moved>& moved) {
    QList<QByteArray> paths;
    qint64 bytes = 0;
    for (const RemedyOutcome::Moved& entry : moved) {
        paths.append(entry.originalPath);
        bytes += entry.size;
    }
    return RemedyReport::tr("%1 (%2)").arg(countOrName(paths), formatBytes(bytes));
}

RemedyReport trashReport(const RemedyOutcome& outcome) {
    RemedyReport report;
    if (outcome.moved.isEmpty() && outcome.stayed.isEmpty()) {
        report.summary = RemedyReport::tr("Nothing moved to the Trash");
        report.lines.append(RemedyReport::tr("Nothing on the Desktop is older than %n days among "
                                             "the heaviest items",
                                             nullptr, outcome.days));
        return report;
    }
    if (outcome.moved.isEmpty()) {
        report.summary = RemedyReport::tr("Nothing moved to the Trash");
    } else {
        report.summary = RemedyReport::tr("Moved to the Trash");
        report.lines.append(
            RemedyReport::tr("%1 went to the Trash.").arg(movedPart(outcome.moved)));
    }
    report.lines += stayedLines(outcome.stayed, Kind::trash, false);
    return report;
}

RemedyReport archiveReport(const RemedyOutcome& outcome) {
    RemedyReport report;
    const QString folder = RemedyReport::displayName(outcome.archiveFolder);
    if (outcome.moved.isEmpty()) {
        report.summary = RemedyReport::tr("Nothing moved into %1").arg(folder);
        if (outcome.stayed.isEmpty())
            report.lines.append(RemedyReport::tr("The Desktop has no items to archive."));
    } else {
        report.summary = RemedyReport::tr("Archived into %1").arg(folder);
        report.lines.append(
            RemedyReport::tr("%1 went into the folder.").arg(movedPart(outcome.moved)));
    }
    report.lines += stayedLines(outcome.stayed, Kind::archive, false);
    return report;
}

} // namespace

RemedyReport RemedyReport::of(const RemedyOutcome& outcome) {
    if (outcome.desktopIsHome) {
        RemedyReport report;
        report.summary = tr("Nothing moved");
        report.lines.append(tr("There is no Desktop folder, so the home folder is left alone."));
        return report;
    }
    return outcome.kind == Kind::trash ? trashReport(outcome) : archiveReport(outcome);
}

RemedyReport RemedyReport::of(const UndoOutcome& undo) {
    RemedyReport report;
    if (undo.restored.isEmpty()) {
        report.summary = tr("Nothing put back");
    } else {
        report.summary = undo.kind == Kind::trash ? tr("Put back from the Trash")
                                                  : tr("Put back from the archive folder");
        const QString who = countOrName(undo.restored);
        report.lines.append(undo.restored.size() == 1 ? tr("%1 is back on the Desktop.").arg(who)
                                                      : tr("%1 are back on the Desktop.").arg(who));
    }
    report.lines += stayedLines(undo.kept, undo.kind, true);
    return report;
}

QString RemedyReport::displayName(const QByteArray& path) {
    const QList<uint> codePoints = QString::fromUtf8(PosixFs::lastComponent(path)).toUcs4();
    QList<uint> shown;
    for (const uint c : codePoints) {
        if (c < 0x20)
            shown.append(controlPictures + c);
        else
            shown.append(c == 0x7f ? deletePicture : c);
    }
    if (shown.size() > maxNameLength) {
        const qsizetype tail = (maxNameLength - 1) / 2;
        shown = shown.first(maxNameLength - 1 - tail) + QList<uint>{U'…'} + shown.last(tail);
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(shown.constData()), shown.size());
}
