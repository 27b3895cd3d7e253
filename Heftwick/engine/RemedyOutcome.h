#pragma once

#include "PosixFs.h"

#include <QByteArray>
#include <QList>

// What one remedy did, entry by entry: enough to tell the user what moved and
// what stayed, and to put back exactly what moved.
struct RemedyOutcome {
    enum class Kind { trash, archive };

    // An entry the remedy moved.
    struct Moved {
        QByteArray originalPath; // where it was, byte-exact
        QByteArray placedPath;   // where it is now: in the trash's files/ or the archive
        QByteArray infoPath;     // its .trashinfo (trash only)
        PosixFs::Identity entry; // as it was where it was put
        PosixFs::Identity info;  // of the .trashinfo
        qint64 size = 0;         // as the last scan measured it
    };

    // An entry that did not move, and why (an errno value, or Trash::noTrash).
    struct Stayed {
        QByteArray path;
        int error = 0;
    };

    Kind kind = Kind::trash;
    int days = 0;               // trash: the age threshold
    QByteArray archiveFolder;   // archive: the dated folder
    bool createdFolder = false; // archive: the folder is new with this remedy
    // Nothing was touched: the Desktop folder is the home folder.
    bool desktopIsHome = false;
    QList<Moved> moved;
    QList<Stayed> stayed;
};

// What putting a remedy's entries back did.
struct UndoOutcome {
    RemedyOutcome::Kind kind = RemedyOutcome::Kind::trash;
    QList<QByteArray> restored; // original paths, now back in place
    // Entries left where the remedy put them: EEXIST when their original
    // path is taken, ENOENT when they are no longer the entries it moved.
    QList<RemedyOutcome::Stayed> kept;
};
