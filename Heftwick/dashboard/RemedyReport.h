#pragma once

#include "engine/RemedyOutcome.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What a remedy, or putting its entries back, did, in the user's words: a
// short summary and plain-text lines on what moved and what stayed and why.
struct RemedyReport {
    Q_DECLARE_TR_FUNCTIONS(RemedyReport)

public:
    QString summary;
    QStringList lines;

    static RemedyReport of(const RemedyOutcome& outcome);
    static RemedyReport of(const UndoOutcome& undo);

    // An entry's name as file managers show it (GLib's display names): bytes
    // that are not UTF-8 become U+FFFD, control characters their visible
    // symbols (a newline ␊); a long name is cut in the middle, keeping both
    // of its ends readable.
    static QString displayName(const QByteArray& path);
    static constexpr int maxNameLength = 48;
};
