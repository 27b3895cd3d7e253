#include "shell/PanelWindow.h"

#include "Platform/Palette.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr qint64 closingClickMs = 300;

// Moves start so that [start, start + length) lies within [low, high), or
// starts at low where it is too long to fit.
int clampInto(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

PanelWindow::PanelWindow(QWidget* content) : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
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

void PanelWindow::popUp(const QRect& anchor) {
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
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
    // Qt hands a popup the keyboard but focuses nothing in it the first time;
    // later openings return to the control that had the focus.
    if (!focusWidget())
        setFocus(Qt::PopupFocusReason);
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
