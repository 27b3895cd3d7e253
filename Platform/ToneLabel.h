#pragma once

#include "Tone.h"

#include <QLabel>

// A one-line or wrapping plain-text label whose colour is resolved from its
// palette at paint time, so it reads correctly on a dark panel and on a light
// window alike and follows a theme change. It can elide instead of growing:
// then it keeps to one line, showing line breaks, tabs and other control
// characters as spaces. The full text stays its accessible text.
class ToneLabel : public QLabel {
    Q_OBJECT

public:
    ToneLabel(const QString& text, const QFont& font, Tone::Rule color, QWidget* parent = nullptr);

    // Shortens a text that does not fit on one line instead of widening the label.
    void setElideMode(Qt::TextElideMode mode);
    void setColorRule(Tone::Rule color);
    QColor color() const;
    // The text as painted at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone::Rule m_color;
    Qt::TextElideMode m_elide = Qt::ElideNone;
};
