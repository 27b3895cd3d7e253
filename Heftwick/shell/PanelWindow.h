#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QMouseEvent;

// The tray's dashboard panel: a frameless popup of fixed size, always on the
// dark palette, that closes on a click outside it or on Escape (Qt's popup
// behaviour), or when the app loses the focus to another window, and keeps
// its content between openings.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize panelSize{380, 540};
    // Space between the bar (or the anchor, without one) and the panel.
    static constexpr int anchorGap = 4;

    // Takes ownership of content, which fills the panel.
    explicit PanelWindow(QWidget* content);

    // Which side of the screen the bar lies along: the side of the work area
    // it lies beyond (its strut), else the screen edge nearest to it along
    // its length (any edge for a roughly square one, such as an icon).
    static Qt::Edge barEdge(const QRect& bar, const QRect& screen, const QRect& area);
    // The bar an icon (or a point in it) sits on, where the desktop tells
    // none (a bar of another client under XWayland, a tray without strut):
    // the band from the screen's edge it lies along to as far past the icon.
    static QRect barAround(const QRect& icon, const QRect& screen, Qt::Edge edge);
    // Where the panel goes for an anchor (the tray icon, or the point the
    // tray host reports) on a bar (empty when unknown: barAround() stands in
    // for it) of a screen with its work area: on the bar's inner side, clear
    // of it by anchorGap, centred on the anchor across the bar, and moved
    // inside the work area where it would stick out.
    static QRect placement(const QRect& anchor, const QRect& bar, const QRect& screen,
                           const QRect& area);

    // Closes the open panel; otherwise places it by the anchor (on the given
    // bar) on the anchor's screen, shows it and gives it the keyboard.
    void toggle(const QRect& anchor, const QRect& bar = {});

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void popUp(const QRect& anchor, const QRect& bar);
    void applicationStateChanged(Qt::ApplicationState state);
    bool justClosedByOutsideClick() const;

    // Runs from the moment a click outside closed the panel: that click may
    // reach the tray icon as well, and must not open the panel again.
    QElapsedTimer m_sinceClosed;
};
