#pragma once

#include "Platform/NamedColor.h"

#include <QColor>
#include <QWidget>

// The card of the main-window pages: its colour at 5% as fill, a 1-point
// outline of the same colour at 20% (unless unframed), corners of radius 12.
// The colour is a named one, in the appearance of the card's palette.
class TintedCard : public QWidget {
    Q_OBJECT

public:
    enum class Outline { framed, unframed };

    explicit TintedCard(NamedColor tint, QWidget* parent = nullptr,
                        Outline outline = Outline::framed);

    void setTint(NamedColor tint);
    // The tint as the card draws it now.
    QColor tint() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NamedColor m_tint;
    Outline m_outline;
};
