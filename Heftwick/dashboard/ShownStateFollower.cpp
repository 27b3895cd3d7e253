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

bool ShownStateFollower::isSeen() const {
    return m_view.isVisible() && !m_view.window()->isMinimized();
}

void ShownStateFollower::stateChanged() {
    m_stale = !isSeen();
    if (!m_stale)
        m_refresh();
    else if (m_view.window() != &m_view)
        m_view.window()->installEventFilter(this); // to learn when it is restored
}

// Shown again, or its window restored from the taskbar: catches up before the
// first paint.
bool ShownStateFollower::eventFilter(QObject* watched, QEvent* event) {
    const bool shown = watched == &m_view && event->type() == QEvent::Show;
    const bool restored = event->type() == QEvent::WindowStateChange && isSeen();
    if (m_stale && (shown || restored)) {
        m_stale = false;
        m_refresh();
    }
    return false;
}
