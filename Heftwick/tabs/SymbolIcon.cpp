#include "SymbolIcon.h"

#include "Platform/Symbols.h"

#include <QFontMetrics>
#include <QPainter>

SymbolIcon::SymbolIcon(const QString& name, Tone::Rule color, qreal points, int boxWidth,
                       QWidget* parent)
    : QWidget(parent), m_name(name), m_color(std::move(color)), m_points(points) {
    // The glyph's line height, so the icon lines up with a text line of the same size.
    setFixedSize(boxWidth, QFontMetrics(Symbols::font(points)).height());
}

void SymbolIcon::setSymbol(const QString& name, Tone::Rule color) {
    m_name = name;
    m_color = std::move(color);
    update();
}

void SymbolIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Symbols::draw(painter, rect(), m_name, m_color(palette()), m_points);
}
