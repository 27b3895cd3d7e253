#include "shell/PanelWindow.h"

#include "Platform/Palette.h"
#include "shell/LayerShell.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
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

// Where the compositor offers a layer shell, the panel is one of its surfaces
// (Qt leaves such a window without a role of its own); elsewhere a popup
// that the window system places where it is asked to.
Qt::WindowFlags panelWindowFlags() {
    return Qt::FramelessWindowHint |
           (LayerShell::instance() ? Qt::Tool | Qt::BypassWindowManagerHint : Qt::Popup);
}

} // namespace

PanelWindow::PanelWindow(QWidget* content)
    : QWidget(nullptr, panelWindowFlags()), m_onLayerShell(LayerShell::instance()),
      m_onWayland(QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    if (m_onLayerShell) {
        m_outside = std::make_unique<QWidget>(nullptr, panelWindowFlags());
        m_outside->setAttribute(Qt::WA_TranslucentBackground);
        m_outside->setAccessibleName("Closes the Pilewatch load panel");
        m_outside->installEventFilter(this);
    }
    setFixedWidth(panelSize.width());
    resize(panelSize);
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

PanelWindow::LayerPlacement PanelWindow::layerPlacement(const QRect& anchor, const QRect& screen) {
    LayerPlacement layer;
    const bool belowTopBar = !anchor.isValid() || anchor.center().y() < screen.center().y();
    layer.edges = belowTopBar ? Qt::TopEdge : Qt::BottomEdge;
    layer.margins = belowTopBar ? QMargins(0, anchorGap, 0, 0) : QMargins(0, 0, 0, anchorGap);
    if (!anchor.isValid()) {
        layer.edges |= Qt::RightEdge;
        layer.margins.setRight(anchorGap);
        return layer;
    }
    const int left = anchor.left() + (anchor.width() - panelSize.width()) / 2;
    layer.edges |= Qt::LeftEdge;
    layer.margins.setLeft(clampInto(left, panelSize.width(), screen.left(), screen.right() + 1) -
                          screen.left());
    return layer;
}

void PanelWindow::popUp(const QRect& anchor, const QRect& bar) {
    m_hadKeyboard = false;
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (m_onLayerShell) {
        if (!showOnLayerShell(anchor, screen->geometry()))
            return;
    } else {
        // On a screen shorter than the panel, the panel takes the work area's
        // height and its page scrolls, rather than running under a bar or off
        // the screen.
        const QRect area = screen->availableGeometry();
        const QRect placed = placement(anchor, bar, screen->geometry(), area).intersected(area);
        setFixedHeight(placed.height());
        setGeometry(placed);
        show();
        raise();
        activateWindow();
    }
    if (m_onWayland)
        connect(windowHandle(), &QWindow::activeChanged, this, &PanelWindow::followActivation,
                Qt::UniqueConnection);
    // Qt hands a popup the keyboard but focuses nothing in it the first time;
    // later openings return to the control that had the focus.
    if (!focusWidget())
        setFocus(Qt::PopupFocusReason);
}

// The compositor gives the panel the keyboard as it maps it (and its height
// within the room the bars leave). A layer surface has no popup grab, and a
// compositor may keep the keyboard on it when the user clicks elsewhere: a
// transparent surface over the whole output, the bars included, takes that
// click and closes the panel. Compositors stack surfaces of one layer
// differently, so that surface takes no input where the panel may be.
bool PanelWindow::showOnLayerShell(const QRect& anchor, const QRect& screen) {
    LayerShell& shell = *LayerShell::instance();
    setMaximumHeight(panelSize.height());
    const Qt::Edges everywhere = Qt::TopEdge | Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge;
    const QSize output = shell.show(*m_outside, {everywhere, {}, false, true});
    LayerPlacement layer = layerPlacement(anchor, screen);
    QSize room = shell.show(*this, {layer.edges, layer.margins, true, false});
    // A compositor that keeps layer surfaces off no bar (KWin, whose Plasma
    // panels are no layer surfaces) leaves the whole output as room: the
    // panel then keeps clear of the bar the icon sits on by itself.
    const QMargins& m = layer.margins;
    if (!output.isEmpty() && room.height() + m.top() + m.bottom() == output.height()) {
        layer = clearOfBar(layer, anchor, screen);
        room = shell.show(*this, {layer.edges, layer.margins, true, false});
    }
    if (output.isEmpty() || room.isEmpty()) {
        qWarning("pilewatch: the compositor did not place the panel");
        hide();
        return false;
    }
    m_outside->setMask(QRegion(QRect(QPoint(), output)) -
                       layerReach(layer, output, room.height(), height()));
    return true;
}

PanelWindow::LayerPlacement PanelWindow::clearOfBar(LayerPlacement layer, const QRect& anchor,
                                                    const QRect& screen) {
    if (!anchor.isValid())
        return layer;
    const QPoint at = anchor.center();
    if (layer.edges & Qt::TopEdge)
        layer.margins.setTop(layer.margins.top() + 2 * (at.y() - screen.top()));
    else
        layer.margins.setBottom(layer.margins.bottom() + 2 * (screen.bottom() - at.y()));
    return layer;
}

QRect PanelWindow::layerReach(const LayerPlacement& layer, const QSize& output, int room,
                              int height) {
    const QMargins& m = layer.margins;
    const int bars = output.height() - room - m.top() - m.bottom();
    const int left =
        layer.edges & Qt::LeftEdge ? m.left() : output.width() - m.right() - panelSize.width();
    const int top =
        layer.edges & Qt::TopEdge ? m.top() : output.height() - m.bottom() - height - bars;
    return QRect(left, top, panelSize.width(), height + bars);
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

void PanelWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

// A Wayland client never sees clicks on other clients' windows, and a
// layer surface has no popup grab: there the panel closes when the
// compositor hands the focus to another window. (The window system's
// activation, not the widget's: Qt counts a shown popup as active always.)
void PanelWindow::followActivation() {
    if (!isVisible())
        return;
    if (windowHandle()->isActive())
        m_hadKeyboard = true;
    else if (m_hadKeyboard)
        close();
}

// The layer surfaces' roles end before Qt takes the windows' surfaces down.
void PanelWindow::setVisible(bool visible) {
    if (!visible && m_onLayerShell) {
        LayerShell::instance()->release(*this);
        LayerShell::instance()->release(*m_outside);
        m_outside->hide();
    }
    QWidget::setVisible(visible);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_outside && watched == m_outside.get() && event->type() == QEvent::MouseButtonPress)
        close();
    return QWidget::eventFilter(watched, event);
}
