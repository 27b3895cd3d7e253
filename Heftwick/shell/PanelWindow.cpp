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
    setAccessibleName("Pilewatch load panel");
    // Takes the keyboard itself when it opens (not by Tab), so that nothing
    // is pressed by accident and a screen reader announces the panel.
    setFocusPolicy(Qt::ClickFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

QRect PanelWindow::placement(const QRect& anchor, const QRect& area) {
    QRect panel(QPoint(), panelSize);
    panel.moveTop(anchor.bottom() + 1 + anchorGap);
    if (panel.bottom() > area.bottom())
        panel.moveBottom(anchor.top() - 1 - anchorGap);
    panel.moveLeft(anchor.left() + (anchor.width() - panel.width()) / 2);
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

void PanelWindow::popUp(const QRect& anchor) {
    m_hadKeyboard = false;
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (m_onLayerShell) {
        if (!showOnLayerShell(layerPlacement(anchor, screen->geometry())))
            return;
    } else {
        // On a screen shorter than the panel, the panel takes the work area's
        // height and its page scrolls, rather than running under a bar or off
        // the screen.
        const QRect area = screen->availableGeometry();
        const QRect placed = placement(anchor, area).intersected(area);
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
bool PanelWindow::showOnLayerShell(const LayerPlacement& layer) {
    LayerShell& shell = *LayerShell::instance();
    setMaximumHeight(panelSize.height());
    const Qt::Edges everywhere = Qt::TopEdge | Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge;
    const QSize output = shell.show(*m_outside, {everywhere, {}, false, true});
    const QSize room = shell.show(*this, {layer.edges, layer.margins, true, false});
    if (output.isEmpty() || room.isEmpty()) {
        qWarning("pilewatch: the compositor did not place the panel");
        hide();
        return false;
    }
    m_outside->setMask(QRegion(QRect(QPoint(), output)) -
                       layerReach(layer, output, room.height(), height()));
    return true;
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

void PanelWindow::toggle(const QRect& anchor) {
    if (isVisible())
        close();
    else if (!justClosedByOutsideClick())
        popUp(anchor);
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
