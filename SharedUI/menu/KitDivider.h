#pragma once

#include <QWidget>

// A horizontal hairline in the separator colour: the palette's text at 20 %.
class KitDivider : public QWidget {
    Q_OBJECT

public:
    explicit KitDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
