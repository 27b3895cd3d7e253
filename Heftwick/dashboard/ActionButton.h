#pragma once

#include <QAbstractButton>
#include <functional>

class LoadEngine;
class QBoxLayout;
class RemedyNoteLine;

// A tinted tile: a symbol over a short caption, both in the tint, on a faint
// rounded tile of the same tint. Clicking it, or pressing Space or Enter while
// it has focus, calls the action once.
class ActionButton : public QAbstractButton {
    Q_OBJECT

public:
    ActionButton(const QString& icon, const QString& label, const QColor& color,
                 std::function<void()> action, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_icon;
    QColor m_color;
};

// The captions of the three remedy tiles, in their order.
struct RemedyCaptions {
    QString cleanOld;
    QString archive;
    QString rescan;
};

// Adds the three remedies to row as tiles, tinted red, blue and green in the
// appearance of palette: move files older than 30 days to the trash, archive
// everything into a dated folder (both announced through line), rescan.
void addRemedyTiles(QBoxLayout* row, LoadEngine& engine, RemedyNoteLine& line,
                    const QPalette& palette, const RemedyCaptions& captions);
