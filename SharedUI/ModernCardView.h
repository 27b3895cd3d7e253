#pragma once

// The kit's card and button components: the translucent card, the animated
// background, the springy button and the status badge.
#include "AnimatedButton.h"
#include "MeshGradientBackground.h"
#include "SoftShadow.h"
#include "StatusBadge.h"

#include <QWidget>

// A translucent rounded card: the content inset by the standard padding, on
// the ultra-thin material at `opacity`, a faint white sheen and (with
// `showBorder`) a 1-point white outline, casting a soft black shadow 4 points
// down. The widget keeps room around the card for its shadow.
class ModernCardView : public QWidget {
    Q_OBJECT
public:
    // `blurRadius` is accepted and not drawn: what lies behind the card shows
    // through unblurred.
    explicit ModernCardView(double cornerRadius = 20, double blurRadius = 20, double opacity = 0.15,
                            bool showBorder = true, double shadowRadius = 10,
                            QWidget* content = nullptr, QWidget* parent = nullptr);
    // A card with every default around the content.
    explicit ModernCardView(QWidget* content, QWidget* parent = nullptr);

    // The card itself, inside the shadow's room.
    QRect cardRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_cornerRadius;
    double m_opacity;
    bool m_showBorder;
    SoftShadow m_shadow;
};
