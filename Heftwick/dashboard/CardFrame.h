#pragma once

#include <QWidget>

class QVBoxLayout;

// The frame both dashboard cards share: a faint rounded card 14 points in from
// the left and right edges, 12 points of padding, an upper-case tracked title
// and, 10 points below it, the card's list.
class CardFrame : public QWidget {
    Q_OBJECT

protected:
    CardFrame(const QString& title, int listSpacing, QWidget* parent);

    // Appends a row (or bar) to the list and shows it with the card.
    void addToList(QWidget* row);
    // Deletes every row of the list.
    void clearList();

    void paintEvent(QPaintEvent* event) override;

private:
    QRectF cardRect() const;

    QVBoxLayout* m_list;
};

// A row of a card's list, its items 8 points apart and centred vertically: a
// leading mark, the name, flexible space and the size at the trailing edge.
QWidget* cardRow(QWidget* mark, const QString& name, qint64 bytes, qreal sizeOpacity,
                 Qt::TextElideMode elide = Qt::ElideNone);
