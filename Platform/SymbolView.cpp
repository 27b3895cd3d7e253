#include "SymbolView.h"

#include "Palette.h"
#include "Symbols.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr qreal tileOpacity = 0.1;
constexpr qreal tileRadius = 6;
} // namespace

SymbolView::SymbolView(const QString& name, qreal points, QFont::Weight weight, Tone::Rule color,
                       QSize frame, Backdrop backdrop, QWidget* parent)
    : QWidget(parent), m_name(name), m_points(points), m_weight(weight), m_color(std::move(color)),
      m_backdrop(backdrop) {
    if (frame.height() <= 0)
        frame.setHeight(QFontMetrics(Symbols::font(points, weight)).height());
    setFixedSize(frame);
}

void SymbolView::setSymbol(const QString& name, Tone::Rule color) {
    m_name = name;
    m_color = std::move(color);
    update();
}

QColor SymbolView::color() const {
    return m_color(palette());
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor tint = color();
    if (m_backdrop == Backdrop::tile) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::withOpacity(tint, tileOpacity));
        painter.drawRoundedRect(QRectF(rect()), tileRadius, tileRadius);
    }
    Symbols::draw(painter, QRectF(rect()), m_name, tint, m_points, m_weight);
}
