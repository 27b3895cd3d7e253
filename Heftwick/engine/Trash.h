#pragma once

#include "PosixFs.h"

#include <QByteArray>
#include <optional>
#include <sys/types.h>

// Moves entries to the user's trash the way the freedesktop.org Trash
// specification 1.0 describes, so any desktop's trash (and trash-cli) lists
// and restores them. Works on raw path bytes; never follows a symbolic link
// (a link is trashed as the link) and never copies: an entry that cannot be
// renamed into a trash on its own file system stays where it is.
//
// An entry on the home trash's file system goes to $XDG_DATA_HOME/Trash
// (default ~/.local/share/Trash). An entry on another file system goes to
// $topdir/.Trash/$uid when $topdir/.Trash is a sticky directory (not a link),
// else to $topdir/.Trash-$uid, where $topdir is the mount point holding it.
class Trash {
public:
    // The home trash of the current environment (XDG_DATA_HOME, HOME).
    Trash();
    explicit Trash(QByteArray homeTrashPath);

    // Where an entry went in the trash, and what it was, so it can be put
    // back only while the trash still holds that very entry.
    struct Trashed {
        int error = 0;       // errno of the failure, noTrash, or 0
        QByteArray filePath; // the entry in the trash's files/
        QByteArray infoPath; // its .trashinfo
        PosixFs::Identity entry;
        PosixFs::Identity info;

        explicit operator bool() const { return error == 0; }
    };
    // The error of an entry whose file system offers no trash it may use.
    static constexpr int noTrash = -1;

    // Moves the entry at the absolute path to the trash. On any failure the
    // entry stays in place, the trash keeps no trace of it and the result
    // tells why.
    Trashed moveToTrash(const QByteArray& path) const;

    // The .trashinfo form of a path: every byte outside A-Z a-z 0-9 - . _ ~ /
    // percent-encoded.
    static QByteArray encodePath(const QByteArray& path);

private:
    struct Target {
        QByteArray directory; // the trash directory, holding files/ and info/
        QByteArray infoPath;  // Path= value: absolute, or relative to topdir
    };

    std::optional<Target> targetFor(const QByteArray& path, dev_t device) const;
    static std::optional<Target> topdirTarget(const QByteArray& realPath, dev_t device);
    static Trashed moveInto(const Target& target, const QByteArray& path);

    QByteArray m_homeTrash;
};
