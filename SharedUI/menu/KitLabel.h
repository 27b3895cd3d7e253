#pragma once

#include "KitStyle.h"

#include <QLabel>

// A one-line plain-text label in a font and a colour resolved from its palette
// when it paints, so it follows a theme change. A text wider than the label is
// shortened with an ellipsis; the full text stays its accessible text.
class KitLabel : public QLabel {
    Q_OBJECT

public:
    KitLabel(const QString& text, const QFont& font, KitStyle::ColorRule color,
             QWidget* parent = nullptr);

    QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KitStyle::ColorRule m_color;
};
