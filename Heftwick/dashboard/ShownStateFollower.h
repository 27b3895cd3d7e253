#pragma once

#include <QObject>
#include <functional>

class LoadEngine;
class QWidget;

// Keeps a view in step with the engine's published state without working for
// nobody: a publication refreshes the view at once while it is seen, and a
// view that is not (a closed panel, a hidden or minimised window) only once it
// is shown or restored again.
// Owned by the view it follows.
class ShownStateFollower : public QObject {
public:
    ShownStateFollower(QWidget& view, const LoadEngine& engine, std::function<void()> refresh);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isSeen() const;
    void stateChanged();

    QWidget& m_view;
    std::function<void()> m_refresh;
    bool m_stale = false;
};
