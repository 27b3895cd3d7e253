#include "CriticalWatcher.h"

#include "engine/LoadEngine.h"

CriticalWatcher::CriticalWatcher(const LoadEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine) {
    connect(&engine, &LoadEngine::stateChanged, this, &CriticalWatcher::published);
}

void CriticalWatcher::published() {
    const bool critical = m_engine.status() == LoadEngine::LoadStatus::critical;
    if (critical && m_started && m_armed) {
        m_armed = false;
        emit crossedIntoCritical(m_engine.totalBytes());
    } else if (!m_started) {
        m_armed = !critical;
    } else if (m_engine.loadPercent() < heavyUpperBound - rearmMargin) {
        m_armed = true;
    }
    m_started = true;
}
