#pragma once

#include "KitLabel.h"

// One key of a keyboard shortcut: its text on a small rounded cap in the
// control background colour, outlined faintly in the secondary colour.
class KeyCap : public KitLabel {
    Q_OBJECT

public:
    explicit KeyCap(const QString& key, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
