#pragma once

#include "LoadEngine.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QThreadPool;

// What one scan produced: the state to publish, or why the Desktop could not
// be listed.
struct ScanOutcome {
    std::optional<LoadEngine::Snapshot> snapshot;
    QString error;
};

// Lists a Desktop folder on raw byte names and sizes each visible entry: a
// file or link by its own size, a folder one level deep. Runs on a background
// thread; touches no engine state.
class DesktopScanner {
public:
    // With a helper pool, one helper task there sizes folders alongside the
    // calling thread when it can start at once.
    explicit DesktopScanner(QByteArray desktopPath, QThreadPool* helperPool = nullptr);

    ScanOutcome run() const;

private:
    QByteArray m_desktopPath;
    QThreadPool* m_helperPool;
};
