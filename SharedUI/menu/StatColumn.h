#pragma once

#include <QWidget>

// A figure in a column of its own, centred across the available width: the
// symbol in the accent colour, the value in bold rounded figures and a small
// label in the secondary colour below it.
class StatColumn : public QWidget {
    Q_OBJECT

public:
    StatColumn(const QString& icon, const QString& value, const QString& label,
               QWidget* parent = nullptr);
};
