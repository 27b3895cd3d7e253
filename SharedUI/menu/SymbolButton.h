#pragma once

#include "KitStyle.h"

#include <QAbstractButton>

// A borderless button showing only a named symbol, such as a panel's close
// button. It takes keyboard focus (Space presses it) and is announced by the
// given name, since the glyph itself has no text.
class SymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    SymbolButton(const QString& symbol, qreal points, KitStyle::ColorRule color,
                 const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_points;
    KitStyle::ColorRule m_color;
};
