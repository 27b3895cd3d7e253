#pragma once

#include <QWidget>

// A label and its value on one line: the symbol in the accent colour in a
// 24-point column, the label in the secondary colour, and the value at the
// trailing edge in medium monospaced figures.
class StatRow : public QWidget {
    Q_OBJECT

public:
    StatRow(const QString& icon, const QString& label, const QString& value,
            QWidget* parent = nullptr);
};
