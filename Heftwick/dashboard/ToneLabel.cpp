#include "ToneLabel.h"

#include <QPainter>

ToneLabel::ToneLabel(const QString& text, const QFont& font, Tone::Rule color, QWidget* parent)
    : QLabel(text, parent), m_color(std::move(color)) {
    setTextFormat(Qt::PlainText);
    setFont(font);
}

void ToneLabel::setElideMode(Qt::TextElideMode mode) {
    m_elide = mode;
    updateGeometry();
    update();
}

void ToneLabel::setColorRule(Tone::Rule color) {
    m_color = std::move(color);
    update();
}

QColor ToneLabel::color() const {
    return m_color(palette());
}

QString ToneLabel::shownText() const {
    if (m_elide == Qt::ElideNone)
        return text();
    return fontMetrics().elidedText(text(), m_elide, contentsRect().width());
}

QSize ToneLabel::minimumSizeHint() const {
    if (m_elide == Qt::ElideNone)
        return QLabel::minimumSizeHint();
    return {0, QLabel::minimumSizeHint().height()};
}

void ToneLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color());
    painter.setFont(font());
    const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    painter.drawText(contentsRect(), flags, shownText());
}
