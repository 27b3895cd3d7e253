#pragma once

#include <QString>
#include <QWidget>

// One manual cleanup tip: a numbered bullet symbol in yellow beside the
// tip's text, which wraps as needed.
class TipRow : public QWidget {
    Q_OBJECT

public:
    TipRow(const QString& icon, const QString& text, QWidget* parent = nullptr);
};
