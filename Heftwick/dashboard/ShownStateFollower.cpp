#include "ShownStateFollower.h"

#include "LoadEngine.h"

#include <QEvent>
#include <QWidget>

ShownStateFollower::ShownStateFollower(QWidget& view, const LoadEngine& engine,
                                       std::function<void()> refresh)
    : QObject(&view), m_view(view), m_refresh(std::move(refresh)) {
    connect(&engine, &LoadEngine::stateChanged, this, &ShownStateFollower::stateChanged);
    view.installEventFilter(this);
}

void ShownStateFollower::stateChanged() {
    m_stale = !m_view.isVisible();
    if (!m_stale)
        m_refresh();
}

// Shown again: catches up before the first paint.
bool ShownStateFollower::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_view && event->type() == QEvent::Show && m_stale) {
        m_stale = false;
        m_refresh();
    }
    return false;
}
