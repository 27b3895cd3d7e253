#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QWidget>
#include <memory>

class QKeyEvent;
class QMouseEvent;

// The tray's dashboard panel: a frameless popup of fixed size (shorter only
// on a screen too short for it), always on the dark palette, that closes on a
// click outside it or on Escape (Qt's popup behaviour), or when the app loses
// the focus to another window, and keeps its content between openings.
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

    // On a compositor's layer shell: the panel against the edge of the bar
    // that holds the anchor (the top bar, unless the anchor lies in the
    // screen's lower half), centred on the anchor and kept inside the screen,
    // or at the top right corner, where trays sit, without an anchor.
    struct LayerPlacement {
        Qt::Edges edges;
        QMargins margins;
        bool operator==(const LayerPlacement&) const = default;
    };
    static LayerPlacement layerPlacement(const QRect& anchor, const QRect& screen);
    // The same placement kept clear of the bar the anchor lies on, where the
    // compositor tells of no bar: the bar is taken to reach from the screen's
    // edge to as far past the anchor.
    static LayerPlacement clearOfBar(LayerPlacement layer, const QRect& anchor,
                                     const QRect& screen);
    // Where on an output the panel of that height may lie, so placed: the
    // compositor moves it past the bars along its edge, and the bars may lie
    // along that edge or the opposite one (room is the output's height less
    // the bars and the margins).
    static QRect layerReach(const LayerPlacement& layer, const QSize& output, int room, int height);

    // Closes the open panel; otherwise places it by the anchor (on the given
    // bar) on the anchor's screen, shows it and gives it the keyboard.
    void toggle(const QRect& anchor, const QRect& bar = {});
    void setVisible(bool visible) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void popUp(const QRect& anchor, const QRect& bar);
    bool showOnLayerShell(const QRect& anchor, const QRect& screen);
    void applicationStateChanged(Qt::ApplicationState state);
    void followActivation();
    bool justClosedByOutsideClick() const;

    // Runs from the moment a click outside closed the panel: that click may
    // reach the tray icon as well, and must not open the panel again.
    QElapsedTimer m_sinceClosed;
    const bool m_onLayerShell;
    const bool m_onWayland;
    // On a layer shell: the transparent surface that takes a click outside
    // the panel.
    std::unique_ptr<QWidget> m_outside;
    // On Wayland: whether the panel had the keyboard since it opened.
    bool m_hadKeyboard = false;
};
