#pragma once

#include <QAbstractButton>

// One choice of a SegmentedPicker: its text, on the accent colour with white
// text while chosen and plain otherwise. It takes keyboard focus (Space
// chooses it) and is announced by its text.
class PickerSegment : public QAbstractButton {
    Q_OBJECT

public:
    explicit PickerSegment(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
