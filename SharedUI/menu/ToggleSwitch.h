#pragma once

#include <QAbstractButton>

// A small on/off switch: a pill in the accent colour with the knob on the
// right when on, a grey pill with the knob on the left when off. It takes
// keyboard focus (Space flips it) and is announced by the given name.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
