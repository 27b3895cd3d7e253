#pragma once

#include "LoadModel.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class DesktopWatcher;
class QTimer;
struct ScanOutcome;

// The one shared load state of the Desktop: scans it on a timer, on demand and
// when it changes, publishes the result in one step on the main thread, and
// carries out the two remedies (move old entries to the Trash, archive into a
// dated folder).
class LoadEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 totalBytes READ totalBytes NOTIFY stateChanged)
    Q_PROPERTY(qint64 fileCount READ fileCount NOTIFY stateChanged)
    Q_PROPERTY(double loadPercent READ loadPercent NOTIFY stateChanged)

public:
    using LoadStatus = LoadModel::LoadStatus;
    using FileItem = LoadModel::FileItem;
    using Category = LoadModel::Category;
    using Snapshot = LoadModel::Snapshot;

    static constexpr qint64 maxLoadBytes = LoadModel::maxLoadBytes;
    static constexpr int monitoringIntervalMs = 20'000;
    static constexpr int topItemLimit = LoadModel::topItemLimit;
    // A scan that a change started is followed by the next one no sooner than
    // coolDownFactor times its processor time after its start, and never
    // sooner than minCoolDownMs after its end. However long changes keep
    // coming, the scans they start then use at most a twentieth of one core.
    // The margin below a tenth leaves room for the burst's first scan, which
    // starts at once, and for the timer's scans, which are not held back (nor
    // are the ones asked for). A cool-down never outlasts the monitoring
    // interval.
    static constexpr int coolDownFactor = 20;
    static constexpr int minCoolDownMs = 200;

    // Watches the user's XDG desktop folder.
    explicit LoadEngine(QObject* parent = nullptr);
    // Watches the given folder (exact path bytes); for tests and tools.
    explicit LoadEngine(QByteArray desktopPath, QObject* parent = nullptr);
    ~LoadEngine() override;

    qint64 totalBytes() const { return m_state.totalBytes; }
    qint64 fileCount() const { return m_state.fileCount; }
    double loadPercent() const { return m_state.loadPercent; }
    const QList<FileItem>& topItems() const { return m_state.topItems; }
    const QList<Category>& categoryBreakdown() const { return m_state.categoryBreakdown; }
    LoadStatus status() const { return m_state.status; }
    const Snapshot& state() const { return m_state; }

    const QByteArray& desktopPath() const { return m_desktopPath; }

    // Scans now, then every 20 seconds and whenever the Desktop or one of its
    // top-level folders changes.
    void startMonitoring();
    void stopMonitoring();
    void scan();
    void cleanOldFiles(int days);
    void archiveToFolder();

    // The load model's pure rules under the engine's names.
    static double loadFraction(qint64 totalBytes) { return LoadModel::loadFraction(totalBytes); }
    static LoadStatus statusFor(double loadPercent) { return LoadModel::statusFor(loadPercent); }
    static QString category(const QString& lowerExtension, bool isDir) {
        return LoadModel::category(lowerExtension, isDir);
    }
    static NamedColor catColor(const QString& name) { return LoadModel::catColor(name); }

signals:
    // Emitted once per published scan, after all six values are replaced.
    void stateChanged();
    // Emitted when a scan could not list the Desktop; the state is unchanged.
    void scanFailed(const QString& description);

protected:
    // Replaces the published state in one step and notifies observers.
    void publish(Snapshot snapshot);

private:
    friend class LoadEngineTestHook;

    // Numbers a new scan; results of scans are published in this order only.
    quint64 beginScan();
    // Starts a scan; it covers every change noticed so far.
    quint64 startScan();
    // A change was noticed: scans at once. The watcher stays paused while
    // that scan runs and cools down; changes meanwhile wait in its queue and
    // start the next scan when it resumes.
    void desktopChanged();
    void coolDownAfter(const ScanOutcome& outcome);
    void coolDownEnded();
    // Takes one scan's outcome on the engine's thread: publishes it unless a
    // scan that started later is already published, or reports the failure.
    void deliver(quint64 scanNumber, ScanOutcome outcome);
    void reportScanError(const QString& description);

    // Entries modified strictly before this instant are old.
    static QDateTime cleanupCutoff(int days, const QDateTime& now);
    void trashItemsModifiedBefore(const QDateTime& cutoff);
    void moveTopItemsIntoTodaysArchive();

    QByteArray m_desktopPath;
    Snapshot m_state;
    QTimer* m_timer = nullptr;
    std::unique_ptr<DesktopWatcher> m_watcher;
    QTimer* m_coolDown = nullptr;
    quint64 m_changeScan = 0; // the running scan a change started, or 0
    quint64 m_startedScans = 0;
    quint64 m_publishedScan = 0;
};
