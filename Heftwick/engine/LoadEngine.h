#pragma once

#include "Platform/NamedColor.h"
#include "RemedyOutcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <memory>
#include <optional>

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
    class LoadStatus {
    public:
        enum Case { light, moderate, heavy, critical };

        constexpr LoadStatus(Case c = light) : m_case(c) {}
        static std::optional<LoadStatus> fromRawValue(const QString& raw);

        constexpr Case value() const { return m_case; }
        constexpr operator Case() const { return m_case; }
        QString rawValue() const;
        QString icon() const;
        NamedColor color() const;

    private:
        Case m_case;
    };

    struct FileItem {
        FileItem(QByteArray url, QString name, qint64 size, bool isDirectory, QDateTime modified);

        QUuid id;
        QByteArray url; // the entry's exact path bytes
        QString name;   // display form of the last path component
        qint64 size = 0;
        bool isDirectory = false;
        QDateTime modified;

        QByteArray rawName() const; // the last path component, byte-exact
    };

    struct Category {
        Category(QString name, qint64 bytes, NamedColor color);

        QUuid id;
        QString name;
        qint64 bytes = 0;
        NamedColor color = NamedColor::gray;
    };

    // The six published values of one scan.
    struct Snapshot {
        qint64 totalBytes = 0;
        qint64 fileCount = 0;
        double loadPercent = 0.0;
        QList<FileItem> topItems;
        QList<Category> categoryBreakdown;
        LoadStatus status = LoadStatus::light;
    };

    static constexpr qint64 maxLoadBytes = 10LL * 1024 * 1024 * 1024;
    static constexpr int monitoringIntervalMs = 20'000;
    static constexpr int topItemLimit = 8;
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
    // Puts back what a remedy moved (see RemedyUndo::putBack), then scans.
    UndoOutcome undoRemedy(const RemedyOutcome& outcome);

    // Pure rules of the load model, public so tools and tests can check them.
    static double loadFraction(qint64 totalBytes);
    static LoadStatus statusFor(double loadPercent);
    static QString category(const QString& lowerExtension, bool isDir);
    static NamedColor catColor(const QString& categoryName);

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
    void trashItemsModifiedBefore(const QDateTime& cutoff, RemedyOutcome& outcome) const;
    void moveTopItemsIntoTodaysArchive(RemedyOutcome& outcome) const;
    void finishRemedy(const RemedyOutcome& outcome);

    QByteArray m_desktopPath;
    Snapshot m_state;
    QTimer* m_timer = nullptr;
    std::unique_ptr<DesktopWatcher> m_watcher;
    QTimer* m_coolDown = nullptr;
    quint64 m_changeScan = 0; // the running scan a change started, or 0
    quint64 m_startedScans = 0;
    quint64 m_publishedScan = 0;
};
