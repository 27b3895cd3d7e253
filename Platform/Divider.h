#pragma once

#include <QWidget>

// A horizontal hairline in the separator colour (the palette's window text at
// 20 %), drawn at a further opacity.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(qreal opacity = 1.0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_opacity;
};
