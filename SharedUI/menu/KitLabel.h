#pragma once

#include "Platform/ToneLabel.h"

// The kit's label: a tinted label that keeps to one line and shortens a text
// wider than itself with an ellipsis; the full text stays its accessible text.
class KitLabel : public ToneLabel {
    Q_OBJECT

public:
    KitLabel(const QString& text, const QFont& font, Tone::Rule color, QWidget* parent = nullptr);
};
