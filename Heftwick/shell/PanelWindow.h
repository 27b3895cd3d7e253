#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QMouseEvent;

// The tray's dashboard panel: a frameless popup of fixed size (shorter only
// on a screen too short for it), always on the dark palette, that closes on a
// click outside it or on Escape (Qt's popup behaviour) and keeps its content
// between openings.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize panelSize{380, 540};
    // Space between the anchor and the panel.
    static constexpr int anchorGap = 4;

    // Takes ownership of content, which fills the panel.
    explicit PanelWindow(QWidget* content);

    // Where the panel goes for an anchor (the tray icon, or the pointer where
    // the tray tells no geometry) within a screen's available area: centred
    // below the anchor, above it where there is no room below, and moved
    // inside the area where it would stick out.
    static QRect placement(const QRect& anchor, const QRect& area);

    // Closes the open panel; otherwise places it by the anchor on the
    // anchor's screen, shows it and gives it the keyboard.
    void toggle(const QRect& anchor);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void popUp(const QRect& anchor);
    bool justClosedByOutsideClick() const;

    // Runs from the moment a click outside closed the panel: that click may
    // reach the tray icon as well, and must not open the panel again.
    QElapsedTimer m_sinceClosed;
};
