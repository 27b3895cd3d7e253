#include "shell/PanelWindow.h"

#include "Platform/Palette.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr qint64 closingClickMs = 300;

// Moves start so that [start, start + length) lies within [low, high), or
// starts at low where it is too long to fit.
int clampInto(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

PanelWindow::PanelWindow(QWidget* content) : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
    setFixedSize(panelSize);
    setPalette(Palette::darkPanelPalette());
    setAutoFillBackground(true);
    setAccessibleName(tr("Pilewatch load panel"));
    // Takes the keyboard itself when it opens (not by Tab), so that nothing
    // is pressed by accident and a screen reader announces the panel.
    setFocusPolicy(Qt::ClickFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &PanelWindow::applicationStateChanged);
}

Qt::Edge PanelWindow::barEdge(const QRect& bar, const QRect& screen, const QRect& area) {
    if (bar.bottom() < area.top())
        return Qt::TopEdge;
    if (bar.top() > area.bottom())
        return Qt::BottomEdge;
    if (bar.right() < area.left())
        return Qt::LeftEdge;
    if (bar.left() > area.right())
        return Qt::RightEdge;
    // On a tie (a corner) the first wins: bars lie along the top or the
    // bottom far more often than along a side.
    const std::pair<int, Qt::Edge> distances[] = {{bar.top() - screen.top(), Qt::TopEdge},
                                                  {screen.bottom() - bar.bottom(), Qt::BottomEdge},
                                                  {bar.left() - screen.left(), Qt::LeftEdge},
                                                  {screen.right() - bar.right(), Qt::RightEdge}};
    const auto* candidates = std::begin(distances);
    const auto* end = std::end(distances);
    if (bar.width() >= 2 * bar.height())
        end = candidates + 2;
    else if (bar.height() >= 2 * bar.width())
        candidates += 2;
    return std::min_element(candidates, end)->second;
}

// Tray icons sit in the middle of their bar's thickness: an unknown bar
// reaches as far past the icon as the icon lies from the screen's edge.
QRect PanelWindow::barAround(const QRect& icon, const QRect& screen, Qt::Edge edge) {
    switch (edge) {
    case Qt::TopEdge:
        return icon.adjusted(0, screen.top() - icon.top(), 0, icon.top() - screen.top());
    case Qt::BottomEdge:
        return icon.adjusted(0, icon.bottom() - screen.bottom(), 0,
                             screen.bottom() - icon.bottom());
    case Qt::LeftEdge:
        return icon.adjusted(screen.left() - icon.left(), 0, icon.left() - screen.left(), 0);
    case Qt::RightEdge:
        return icon.adjusted(icon.right() - screen.right(), 0, screen.right() - icon.right(), 0);
    }
    return icon;
}

QRect PanelWindow::placement(const QRect& anchor, const QRect& bar, const QRect& screen,
                             const QRect& area) {
    const Qt::Edge edge = barEdge(bar.isValid() ? bar : anchor, screen, area);
    const QRect along = bar.isValid() ? bar : barAround(anchor, screen, edge);
    QRect panel(QPoint(), panelSize);
    panel.moveCenter(anchor.center());
    switch (edge) {
    case Qt::TopEdge:
        panel.moveTop(along.bottom() + 1 + anchorGap);
        break;
    case Qt::BottomEdge:
        panel.moveBottom(along.top() - 1 - anchorGap);
        break;
    case Qt::LeftEdge:
        panel.moveLeft(along.right() + 1 + anchorGap);
        break;
    case Qt::RightEdge:
        panel.moveRight(along.left() - 1 - anchorGap);
        break;
    }
    panel.moveLeft(clampInto(panel.left(), panel.width(), area.left(), area.right() + 1));
    panel.moveTop(clampInto(panel.top(), panel.height(), area.top(), area.bottom() + 1));
    return panel;
}

void PanelWindow::popUp(const QRect& anchor, const QRect& bar) {
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    setGeometry(placement(anchor, bar, screen->geometry(), screen->availableGeometry()));
    show();
    raise();
    activateWindow();
    // Qt hands a popup the keyboard but focuses nothing in it the first time;
    // later openings return to the control that had the focus.
    if (!focusWidget())
        setFocus(Qt::PopupFocusReason);
}

void PanelWindow::toggle(const QRect& anchor, const QRect& bar) {
    if (isVisible())
        close();
    else if (!justClosedByOutsideClick())
        popUp(anchor, bar);
}

// A click on a window of another client that Qt's pointer grab does not see
// (a Wayland window beside an XWayland popup) still takes the focus away.
void PanelWindow::applicationStateChanged(Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive && isVisible()) {
        m_sinceClosed.start();
        close();
    }
}

bool PanelWindow::justClosedByOutsideClick() const {
    return m_sinceClosed.isValid() && !m_sinceClosed.hasExpired(closingClickMs);
}

// While the popup is open, presses anywhere outside it arrive here; Qt then
// closes the popup.
void PanelWindow::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint()))
        m_sinceClosed.start();
    QWidget::mousePressEvent(event);
}
