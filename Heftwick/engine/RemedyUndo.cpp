#include "RemedyUndo.h"

#include "PosixFs.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool isSameEntry(const QByteArray& path, const PosixFs::Identity& identity) {
    return PosixFs::identityOf(AT_FDCWD, path.constData()) == identity;
}

// Moves one entry back; on failure errno tells why.
bool putBackEntry(const RemedyOutcome::Moved& entry) {
    if (!isSameEntry(entry.placedPath, entry.entry)) {
        errno = ENOENT;
        return false;
    }
    if (!PosixFs::moveNoReplace(AT_FDCWD, entry.placedPath.constData(), AT_FDCWD,
                                entry.originalPath.constData()))
        return false;
    // The entry is back: its .trashinfo, if still the one written for it,
    // has nothing left to describe.
    if (!entry.infoPath.isEmpty() && isSameEntry(entry.infoPath, entry.info))
        ::unlink(entry.infoPath.constData());
    return true;
}

} // namespace

UndoOutcome RemedyUndo::putBack(const RemedyOutcome& outcome) {
    UndoOutcome undo;
    undo.kind = outcome.kind;
    for (const RemedyOutcome::Moved& entry : outcome.moved) {
        if (putBackEntry(entry))
            undo.restored.append(entry.originalPath);
        else
            undo.kept.append({entry.originalPath, errno});
    }
    if (outcome.createdFolder)
        ::rmdir(outcome.archiveFolder.constData()); // only succeeds when empty
    return undo;
}
