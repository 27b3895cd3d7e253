#pragma once

#include "DesktopScanner.h"
#include "LoadEngine.h"
#include "TestEnvironment.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimer>
#include <memory>
#include <optional>

// Reaches the engine's private steps so tests can order scan results and fix
// the cleanup cutoff deterministically.
class LoadEngineTestHook {
public:
    static quint64 beginScan(LoadEngine& engine) { return engine.beginScan(); }
    static void deliver(LoadEngine& engine, quint64 scanNumber, ScanOutcome outcome) {
        engine.deliver(scanNumber, std::move(outcome));
    }
    static QDateTime cleanupCutoff(int days, const QDateTime& now) {
        return LoadEngine::cleanupCutoff(days, now);
    }
    static void trashItemsModifiedBefore(LoadEngine& engine, const QDateTime& cutoff) {
        engine.trashItemsModifiedBefore(cutoff);
    }
    static bool isMonitoring(const LoadEngine& engine) {
        return engine.m_timer && engine.m_timer->isActive();
    }
    static int monitoringInterval(const LoadEngine& engine) {
        return engine.m_timer ? engine.m_timer->interval() : 0;
    }
};

// A private home with an empty Desktop folder in it.
class TempDesktop {
public:
    TempDesktop();

    const ScopedHome& home() const { return m_home; }
    const QByteArray& path() const { return m_path; }
    QByteArray operator/(const QByteArray& name) const { return m_path + '/' + name; }
    QByteArray homeTrash() const { return m_home.homeBytes() + "/.local/share/Trash"; }

private:
    ScopedHome m_home;
    QByteArray m_path;
};

// Counts the engine's publications and failures.
class EngineWatch {
public:
    explicit EngineWatch(LoadEngine& engine);

    int published = 0;
    int failed = 0;
    QString lastError;
};

// Starts a scan and waits until it is published; false when it failed or
// timed out.
bool scanAndWait(LoadEngine& engine);
// Runs an operation that ends with a scan and waits for its publication.
bool runAndWait(LoadEngine& engine, const std::function<void()>& operation);

// Redirects standard output into a file while alive.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    QByteArray text() const;

private:
    QTemporaryDir m_dir;
    int m_saved = -1;
};

const LoadEngine::FileItem* findItem(const LoadEngine& engine, const QByteArray& rawName);
std::optional<qint64> categoryBytes(const LoadEngine& engine, const QString& name);
bool exists(const QByteArray& path); // without following a final link
qint64 ownSize(const QByteArray& path);
QByteArray readAll(const QByteArray& path);
void makeDir(const QByteArray& path);
void makeLink(const QByteArray& target, const QByteArray& linkPath);
// Names of a directory's entries in the order the file system lists them.
QList<QByteArray> listingOrder(const QByteArray& dir);
