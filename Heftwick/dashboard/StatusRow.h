#pragma once

#include <QWidget>

// One line of the gauge legend: a coloured dot beside a level's name and its
// description.
class StatusRow : public QWidget {
    Q_OBJECT

public:
    StatusRow(const QColor& color, const QString& label, const QString& desc,
              QWidget* parent = nullptr);
};
