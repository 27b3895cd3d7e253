#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A named symbol drawn as a glyph at a point size, centred in a fixed box.
// Purely decorative: the text beside it carries the meaning for screen readers.
class SymbolIcon : public QWidget {
    Q_OBJECT

public:
    SymbolIcon(const QString& name, const QColor& color, qreal points, int boxWidth,
               QWidget* parent = nullptr);

    void setSymbol(const QString& name, const QColor& color);
    QString symbol() const { return m_name; }
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    QColor m_color;
    qreal m_points;
};
