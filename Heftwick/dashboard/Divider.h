#pragma once

#include <QWidget>

// A horizontal hairline in the separator colour of the palette, drawn at an
// opacity.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(qreal opacity = 1.0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_opacity;
};
