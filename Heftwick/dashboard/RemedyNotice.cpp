#include "RemedyNotice.h"

#include "FileManager.h"
#include "engine/LoadEngine.h"

#include <QPointer>
#include <memory>

namespace {

// One remedy's announcement, alive while a notification or a line still
// offers its actions.
class Announcement : public std::enable_shared_from_this<Announcement> {
public:
    Announcement(LoadEngine& engine, RemedyOutcome outcome, RemedyNotice::Fallback fallback)
        : m_engine(&engine), m_outcome(std::move(outcome)), m_fallback(std::move(fallback)) {}

    void start() { send(RemedyReport::of(m_outcome), actions()); }

private:
    QList<DesktopNotifier::Action> actions() {
        QList<DesktopNotifier::Action> list;
        if (m_outcome.moved.isEmpty())
            return list;
        const std::shared_ptr<Announcement> self = shared_from_this();
        list.append({QStringLiteral("undo"), RemedyReport::tr("Undo"), [self] { self->undo(); }});
        if (m_outcome.kind == RemedyOutcome::Kind::archive)
            list.append({QStringLiteral("open"), RemedyReport::tr("Open Folder"), [self] {
                             FileManager::showItem(self->m_outcome.archiveFolder,
                                                   self->desktopFolder());
                         }});
        return list;
    }

    QByteArray desktopFolder() const { return m_engine ? m_engine->desktopPath() : QByteArray(); }

    // Runs once, from whichever place offered it first.
    void undo() {
        if (m_undone || !m_engine)
            return;
        m_undone = true;
        send(RemedyReport::of(m_engine->undoRemedy(m_outcome)), {});
    }

    void send(const RemedyReport& report, const QList<DesktopNotifier::Action>& actions) {
        const std::shared_ptr<Announcement> self = shared_from_this();
        DesktopNotifier::shared().send(
            {report.summary, report.lines, actions, m_shownId},
            [self](uint id) { self->m_shownId = id; },
            [self, report, actions] { self->m_fallback(report, actions); });
    }

    QPointer<LoadEngine> m_engine;
    RemedyOutcome m_outcome;
    RemedyNotice::Fallback m_fallback;
    uint m_shownId = 0;
    bool m_undone = false;
};

} // namespace

void RemedyNotice::announce(LoadEngine& engine, const RemedyOutcome& outcome, Fallback fallback) {
    std::make_shared<Announcement>(engine, outcome, std::move(fallback))->start();
}
