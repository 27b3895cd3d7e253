#include "LoadEngine.h"

#include "DesktopScanner.h"
#include "DesktopWatcher.h"
#include "PosixFs.h"
#include "RemedyUndo.h"
#include "Trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Scans run here, off the main thread and at low priority. The pool lives as
// long as the process, so a scan that outlives its engine finishes harmlessly.
QThreadPool* scanPool() {
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool;
        p->setThreadPriority(QThread::LowPriority);
        // Room for two overlapping scans, each with one folder-sizing helper.
        p->setMaxThreadCount(4);
        // A scan still running when the application object goes away finishes
        // first, so it never hands its result to a half-destroyed application.
        qAddPostRoutine([] { scanPool()->waitForDone(); });
        return p;
    }();
    return pool;
}

// The XDG desktop folder. When the XDG setting points it at the home folder
// itself (meaning "no desktop folder"), $HOME/Desktop is used instead: the
// remedies must never act on the home folder's own entries.
// The home part keeps the exact bytes of $HOME, which text cannot carry when
// they are not valid in the locale's encoding.
QByteArray xdgDesktopPath() {
    const QString home = QDir::cleanPath(QDir::homePath());
    QByteArray homeBytes = qgetenv("HOME");
    if (homeBytes.isEmpty() || QDir::cleanPath(QFile::decodeName(homeBytes)) != home)
        homeBytes = QFile::encodeName(home);
    while (homeBytes.size() > 1 && homeBytes.endsWith('/'))
        homeBytes.chop(1);
    const QString desktop =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (desktop.isEmpty() || desktop == home)
        return homeBytes + "/Desktop";
    if (desktop.startsWith(home + u'/'))
        return homeBytes + QFile::encodeName(desktop.mid(home.size()));
    return QFile::encodeName(desktop);
}

// Whether a folder is the home folder or one of the folders above it, however
// it leads there (an XDG setting, a link). Its entries are the user's whole
// home, not a Desktop: the remedies never act on them.
bool holdsHomeFolder(const QByteArray& path) {
    struct stat folder {};
    if (::stat(path.constData(), &folder) != 0)
        return false;
    QByteArray dir = qgetenv("HOME");
    if (dir.isEmpty())
        dir = QFile::encodeName(QDir::homePath());
    for (;; dir = PosixFs::parentPath(dir)) {
        struct stat candidate {};
        if (::stat(dir.constData(), &candidate) == 0 && candidate.st_dev == folder.st_dev &&
            candidate.st_ino == folder.st_ino)
            return true;
        if (dir == "/")
            return false;
    }
}

qint64 monotonicMs() {
    return PosixFs::clockNs(CLOCK_MONOTONIC) / 1'000'000;
}

// Whether the entry is still there and still modified before the cutoff,
// read from the entry itself (links are not followed).
bool stillModifiedBefore(const QByteArray& path, const QDateTime& cutoff) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 &&
           PosixFs::modifiedMSecs(st) < cutoff.toMSecsSinceEpoch();
}

} // namespace

// --- Engine --------------------------------------------------------------------

LoadEngine::LoadEngine(QObject* parent) : LoadEngine(xdgDesktopPath(), parent) {}

LoadEngine::LoadEngine(QByteArray desktopPath, QObject* parent)
    : QObject(parent), m_desktopPath(std::move(desktopPath)), m_coolDown(new QTimer(this)) {
    m_coolDown->setSingleShot(true);
    m_coolDown->setTimerType(Qt::PreciseTimer);
    connect(m_coolDown, &QTimer::timeout, this, &LoadEngine::rescanIfReady);
}

LoadEngine::~LoadEngine() = default;

void LoadEngine::startMonitoring() {
    if (!m_watcher) {
        // Without inotify the timer alone keeps the state current.
        auto watcher = std::make_unique<DesktopWatcher>();
        if (watcher->isValid()) {
            connect(watcher.get(), &DesktopWatcher::changed, this, &LoadEngine::desktopChanged);
            m_watcher = std::move(watcher);
        }
    }
    scan(); // arms the watches
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(monitoringIntervalMs);
        connect(m_timer, &QTimer::timeout, this, &LoadEngine::monitoringTick);
    }
    m_timer->start();
}

void LoadEngine::stopMonitoring() {
    if (m_timer)
        m_timer->stop();
    m_watcher.reset();
    m_base.reset();
}

void LoadEngine::scan() {
    startFullScan();
}

// Changes waiting out a cool-down would wait for the timer's full scan too:
// they show at once from the last result instead, and the full scan follows.
void LoadEngine::monitoringTick() {
    if (m_watcher && m_coolDown->isActive() && m_deliveredScan == m_startedScans) {
        const DesktopChanges& changes = m_watcher->pendingChanges();
        if (!changes.isEmpty() && canRescanPartially(changes)) {
            m_coolDown->stop();
            m_changeScan = startPartialRescan();
        }
    }
    scan();
}

quint64 LoadEngine::startFullScan() {
    // Whatever changed so far happened before this scan lists the Desktop, so
    // it shows: a remedy's own moves, for one, need no scan beyond the one it
    // ends with.
    if (m_watcher)
        m_watcher->takeChanges();
    return startScan([](const DesktopScanner& scanner) { return scanner.run(); });
}

quint64 LoadEngine::startPartialRescan() {
    return startScan([base = m_base, changes = m_watcher->takeChanges()](
                         const DesktopScanner& scanner) { return scanner.rescan(*base, changes); });
}

quint64 LoadEngine::startScan(std::function<ScanOutcome(const DesktopScanner&)> read) {
    const quint64 scanNumber = beginScan();
    QPointer<LoadEngine> self(this);
    std::shared_ptr<ScanWatch> watch = m_watcher ? m_watcher->watchFor(scanNumber) : nullptr;
    scanPool()->start(
        [self, scanNumber, path = m_desktopPath, watch = std::move(watch), read = std::move(read)] {
            ScanOutcome outcome = read(DesktopScanner(path, scanPool(), watch));
            QCoreApplication* app = QCoreApplication::instance();
            if (!app)
                return;
            // Back to the main thread; an engine destroyed meanwhile is never touched.
            QMetaObject::invokeMethod(
                app,
                [self, scanNumber, outcome = std::move(outcome)]() mutable {
                    if (self)
                        self->deliver(scanNumber, std::move(outcome));
                },
                Qt::QueuedConnection);
        });
    return scanNumber;
}

quint64 LoadEngine::beginScan() {
    return ++m_startedScans;
}

// Pausing the watcher also spares the event loop a storm of events: the queue
// folds repeated events on one entry into one.
void LoadEngine::desktopChanged() {
    m_watcher->setPaused(true);
    rescanIfReady();
}

void LoadEngine::rescanIfReady() {
    if (!m_watcher || m_deliveredScan < m_startedScans || m_coolDown->isActive())
        return;
    const DesktopChanges& changes = m_watcher->pendingChanges();
    if (changes.isEmpty()) {
        m_watcher->setPaused(false);
        return;
    }
    m_watcher->setPaused(true);
    noteChangesComing();
    if (canRescanPartially(changes) && !fullScanDueInBurst())
        m_changeScan = startPartialRescan();
    else if (const qint64 waitMs = msUntilFullScanAllowed(); waitMs > 0)
        m_coolDown->start(int(waitMs));
    else
        m_changeScan = startFullScan();
}

// A partial rescan needs the result of the newest scan (which is delivered by
// now, and published unless it failed), and events that tell everything that
// changed since that scan started. Older scans still running are outdone by
// it anyway.
bool LoadEngine::canRescanPartially(const DesktopChanges& changes) const {
    return m_base && m_publishedScan == m_startedScans && !changes.lost;
}

// Changes keep coming while no quiet stretch as long as the full scans'
// spacing separates them.
void LoadEngine::noteChangesComing() {
    const qint64 now = monotonicMs();
    if (now - m_lastChangeMs >= fullScanSpacingMs())
        m_changesComingSinceMs = now;
    m_lastChangeMs = now;
}

bool LoadEngine::fullScanDueInBurst() const {
    const qint64 spacingMs = fullScanSpacingMs();
    const bool timerFar = !m_timer || !m_timer->isActive() || m_timer->remainingTime() >= spacingMs;
    return monotonicMs() - m_changesComingSinceMs >= spacingMs && msUntilFullScanAllowed() == 0 &&
           timerFar;
}

qint64 LoadEngine::msUntilFullScanAllowed() const {
    return std::max<qint64>(0, m_lastFullScanStartMs + fullScanSpacingMs() - monotonicMs());
}

qint64 LoadEngine::fullScanSpacingMs() const {
    return std::clamp<qint64>(m_lastFullScanCpuNs * fullScanCostFactor / 1'000'000,
                              minFullScanSpacingMs, monitoringIntervalMs);
}

// A full scan's cost is paced by the spacing of full scans; a partial
// rescan's by the cool-down after it, until the reserve it drew on is paid back.
void LoadEngine::coolDownAfter(const ScanOutcome& outcome) {
    qint64 ms = 0;
    if (!outcome.full) {
        refillRescanReserve();
        // Owing no more than the longest cool-down pays back: a folder too big
        // to rescan often costs its wait once, not again long after a burst.
        const qint64 maxDebtNs = qint64(monitoringIntervalMs) * 1'000'000 / rescanCostFactor;
        m_rescanReserveNs = std::max(m_rescanReserveNs - outcome.cpuNs, -maxDebtNs);
        ms = -m_rescanReserveNs * rescanCostFactor / 1'000'000;
    }
    m_coolDown->start(int(std::clamp<qint64>(ms, minCoolDownMs, monitoringIntervalMs)));
}

void LoadEngine::refillRescanReserve() {
    const qint64 now = monotonicMs();
    const qint64 refillNs = (now - m_reserveRefilledMs) * 1'000'000 / rescanCostFactor;
    m_rescanReserveNs =
        std::min(m_rescanReserveNs + refillNs, qint64(rescanReserveCpuMs) * 1'000'000);
    m_reserveRefilledMs = now;
}

void LoadEngine::deliver(quint64 scanNumber, ScanOutcome outcome) {
    m_deliveredScan = std::max(m_deliveredScan, scanNumber);
    if (scanNumber == m_changeScan) {
        m_changeScan = 0;
        coolDownAfter(outcome);
    }
    noteFullScan(outcome);
    if (!outcome.snapshot)
        reportScanError(outcome.error);
    else if (scanNumber > m_publishedScan)
        accept(scanNumber, std::move(outcome));
    rescanIfReady();
}

// Scans overlap; a result from a scan that started before the published one
// would bring back a Desktop that has changed since (for example entries a
// remedy just moved away), so only newer ones come here.
void LoadEngine::accept(quint64 scanNumber, ScanOutcome outcome) {
    m_publishedScan = scanNumber;
    if (m_watcher)
        m_base = std::move(outcome.listing);
    publish(std::move(*outcome.snapshot));
}

void LoadEngine::noteFullScan(const ScanOutcome& outcome) {
    if (!outcome.full || !outcome.snapshot)
        return;
    m_lastFullScanStartMs = std::max(m_lastFullScanStartMs, outcome.startNs / 1'000'000);
    m_lastFullScanCpuNs = outcome.cpuNs;
}

void LoadEngine::reportScanError(const QString& description) {
    const QByteArray line = "Scan error: " + description.toLocal8Bit() + '\n';
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
    emit scanFailed(description);
}

void LoadEngine::publish(Snapshot snapshot) {
    m_state = std::move(snapshot);
    emit stateChanged();
}

// --- Remedies (on the main thread, the one place it touches the disk) ----------

QDateTime LoadEngine::cleanupCutoff(int days, const QDateTime& now) {
    const double seconds = double(days) * 86400.0;
    return now.addMSecs(-qint64(seconds * 1000.0));
}

void LoadEngine::cleanOldFiles(int days) {
    RemedyOutcome outcome;
    outcome.kind = RemedyOutcome::Kind::trash;
    outcome.days = days;
    outcome.desktopIsHome = holdsHomeFolder(m_desktopPath);
    if (!outcome.desktopIsHome)
        trashItemsModifiedBefore(cleanupCutoff(days, QDateTime::currentDateTime()), outcome);
    finishRemedy(outcome);
}

void LoadEngine::trashItemsModifiedBefore(const QDateTime& cutoff, RemedyOutcome& outcome) const {
    const Trash trash;
    for (const FileItem& item : m_state.topItems) {
        // Decided by the last scan, confirmed on the entry right before it
        // moves: one changed or removed since is left alone.
        if (!(item.modified < cutoff && stillModifiedBefore(item.url, cutoff)))
            continue;
        const Trash::Trashed trashed = trash.moveToTrash(item.url);
        if (trashed)
            outcome.moved.append({item.url, trashed.filePath, trashed.infoPath, trashed.entry,
                                  trashed.info, item.size});
        else
            outcome.stayed.append({item.url, trashed.error});
    }
}

void LoadEngine::archiveToFolder() {
    RemedyOutcome outcome;
    outcome.kind = RemedyOutcome::Kind::archive;
    outcome.desktopIsHome = holdsHomeFolder(m_desktopPath);
    if (!outcome.desktopIsHome)
        moveTopItemsIntoTodaysArchive(outcome);
    finishRemedy(outcome);
}

void LoadEngine::moveTopItemsIntoTodaysArchive(RemedyOutcome& outcome) const {
    outcome.archiveFolder = m_desktopPath + "/DesktopArchive_" +
                            QDate::currentDate().toString(u"yyyy-MM-dd").toLatin1();
    const QByteArray& folder = outcome.archiveFolder;
    outcome.createdFolder = PosixFs::identityOf(AT_FDCWD, folder.constData()).inode == 0;
    PosixFs::makePath(folder, 0777); // an existing folder from earlier today is reused
    const PosixFs::UniqueFd archive = PosixFs::openDirectory(AT_FDCWD, folder.constData(), true);
    const int folderError = archive.valid() ? 0 : errno;
    for (const FileItem& item : m_state.topItems) {
        // Never replaces an entry already in the archive; moving today's
        // archive folder into itself fails harmlessly.
        const QByteArray name = item.rawName();
        if (archive.valid() &&
            PosixFs::moveNoReplace(AT_FDCWD, item.url.constData(), archive.get(), name.constData()))
            outcome.moved.append({item.url, PosixFs::childPath(folder, name), QByteArray(),
                                  PosixFs::identityOf(archive.get(), name.constData()),
                                  PosixFs::Identity(), item.size});
        else
            outcome.stayed.append({item.url, archive.valid() ? errno : folderError});
    }
}

void LoadEngine::finishRemedy(const RemedyOutcome& outcome) {
    emit remedyFinished(outcome);
    scan();
}

UndoOutcome LoadEngine::undoRemedy(const RemedyOutcome& outcome) {
    UndoOutcome undo = RemedyUndo::putBack(outcome);
    scan();
    return undo;
}
