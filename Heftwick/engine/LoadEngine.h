#pragma once

#include "LoadModel.h"
#include "RemedyOutcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class DesktopScanner;
class DesktopWatcher;
class QTimer;
struct DesktopChanges;
struct DesktopListing;
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
    // How the scans that changes start are paced; the timer's scans and the
    // ones asked for are never held back.
    // - A change starts a partial rescan at once, or as soon as the newest
    //   scan running is done. Partial rescans draw their processor time from
    //   a reserve that refills by one rescanCostFactor-th of the time passing,
    //   up to rescanReserveCpuMs. The next one starts once the reserve is no
    //   longer overdrawn, and never sooner than minCoolDownMs after the last
    //   one's end: however long changes keep coming, partial rescans use at
    //   most a hundredth of one core beyond the reserve, while a change right
    //   after one expensive rescan need not wait a hundred times its cost.
    //   They never owe more than the longest cool-down pays back.
    //   When the timer's full scan comes during a cool-down, the changes
    //   waiting it out are rescanned first, so they do not wait for the full
    //   scan as well.
    // - Full scans start at least fullScanCostFactor times the last one's
    //   processor time apart (minFullScanSpacingMs at least, the monitoring
    //   interval at most). Once changes have kept coming for that long, with
    //   no quiet stretch as long between them, a full scan takes a partial
    //   rescan's turn whenever the last full scan and the timer's next one
    //   are both that far away. Full scans, the timer's included, then use at
    //   most a fiftieth of one core (unless the timer's alone use more).
    //   Lost events, which only a full scan makes up for, wait for the
    //   spacing too.
    static constexpr int rescanCostFactor = 100;
    static constexpr int rescanReserveCpuMs = 20;
    static constexpr int minCoolDownMs = 400;
    static constexpr int fullScanCostFactor = 50;
    static constexpr int minFullScanSpacingMs = 3000;

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
    // Puts back what a remedy moved (see RemedyUndo::putBack), then scans.
    UndoOutcome undoRemedy(const RemedyOutcome& outcome);

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
    // Emitted once per remedy, on its thread, after its moves and before the
    // scan it ends with.
    void remedyFinished(const RemedyOutcome& outcome);

protected:
    // Replaces the published state in one step and notifies observers.
    void publish(Snapshot snapshot);

private:
    friend class LoadEngineTestHook;

    // The monitoring timer's full scan.
    void monitoringTick();
    // Numbers a new scan; results of scans are published in this order only.
    quint64 beginScan();
    // Starts a full scan; it covers every change noticed so far.
    quint64 startFullScan();
    // Starts a partial rescan of the changes noticed since the newest scan
    // started, from that scan's result.
    quint64 startPartialRescan();
    quint64 startScan(std::function<ScanOutcome(const DesktopScanner&)> read);
    // A change was noticed. The watcher stays paused while the rescan it
    // starts runs and cools down; changes meanwhile wait in its queue.
    void desktopChanged();
    // Starts the rescan that pending changes call for, unless the newest scan
    // is still running or a cool-down lasts; resumes the watcher when none is
    // pending.
    void rescanIfReady();
    bool canRescanPartially(const DesktopChanges& changes) const;
    void noteChangesComing();
    bool fullScanDueInBurst() const;
    qint64 msUntilFullScanAllowed() const;
    qint64 fullScanSpacingMs() const;
    void coolDownAfter(const ScanOutcome& outcome);
    void refillRescanReserve();
    // Takes one scan's outcome on the engine's thread: publishes it unless a
    // scan that started later is already published, or reports the failure.
    void deliver(quint64 scanNumber, ScanOutcome outcome);
    void accept(quint64 scanNumber, ScanOutcome outcome);
    void noteFullScan(const ScanOutcome& outcome);
    void reportScanError(const QString& description);

    // Entries modified strictly before this instant are old.
    static QDateTime cleanupCutoff(int days, const QDateTime& now);
    void trashItemsModifiedBefore(const QDateTime& cutoff, RemedyOutcome& outcome) const;
    void moveTopItemsIntoTodaysArchive(RemedyOutcome& outcome) const;
    void finishRemedy(const RemedyOutcome& outcome);

    QByteArray m_desktopPath;
    Snapshot m_state;
    QTimer* m_timer = nullptr;
    std::unique_ptr<DesktopWatcher> m_watcher;
    QTimer* m_coolDown = nullptr;
    // The entries of the published result, while monitoring: what partial
    // rescans start from.
    std::shared_ptr<const DesktopListing> m_base;
    quint64 m_changeScan = 0; // the running scan a change started, or 0
    quint64 m_startedScans = 0;
    quint64 m_publishedScan = 0;
    quint64 m_deliveredScan = 0; // the newest scan delivered so far
    // Monotonic milliseconds; long ago until it happens.
    static constexpr qint64 longAgoMs = -(qint64(1) << 40);
    qint64 m_lastFullScanStartMs = longAgoMs;
    qint64 m_lastFullScanCpuNs = 0;
    qint64 m_lastChangeMs = longAgoMs;
    qint64 m_changesComingSinceMs = longAgoMs;
    // What partial rescans may still draw on; below 0 while overdrawn.
    qint64 m_rescanReserveNs = qint64(rescanReserveCpuMs) * 1'000'000;
    qint64 m_reserveRefilledMs = 0;
};
