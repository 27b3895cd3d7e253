#pragma once

#include <QColor>
#include <QWidget>

// The card of the main-window pages: its colour at 5% as fill, a 1-point
// outline of the same colour at 20% (unless unframed), corners of radius 12.
class TintedCard : public QWidget {
    Q_OBJECT

public:
    enum class Outline { framed, unframed };

    explicit TintedCard(const QColor& tint, QWidget* parent = nullptr,
                        Outline outline = Outline::framed);

    void setTint(const QColor& tint);
    QColor tint() const { return m_tint; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_tint;
    Outline m_outline;
};
