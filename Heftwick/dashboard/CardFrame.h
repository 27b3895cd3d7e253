#pragma once

#include <QWidget>

class QVBoxLayout;
class ToneLabel;

// The frame both dashboard cards share: a faint rounded card 14 points in from
// the left and right edges, 12 points of padding, an upper-case tracked title
// and, 10 points below it, the card's list.
class CardFrame : public QWidget {
    Q_OBJECT

public:
    ToneLabel* title() const { return m_title; }

protected:
    CardFrame(const QString& title, int listSpacing, QWidget* parent);

    QVBoxLayout* list() const { return m_list; }
    // The list holds one widget per row; this deletes them all.
    void clearList();

    void paintEvent(QPaintEvent* event) override;

private:
    QRectF cardRect() const;

    ToneLabel* m_title;
    QVBoxLayout* m_list;
};
