#include "SymbolButton.h"

#include "Platform/Palette.h"
#include "Platform/Symbols.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
// A pressed borderless button dims its content.
constexpr qreal pressedOpacity = 0.5;
} // namespace

SymbolButton::SymbolButton(const QString& symbol, qreal points, KitStyle::ColorRule color,
                           const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_points(points), m_color(std::move(color)) {
    KitStyle::makeFocusable(this, accessibleName);
    setToolTip(accessibleName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SymbolButton::sizeHint() const {
    const int side = QFontMetrics(Symbols::font(m_points)).height();
    return {side, side};
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor color = m_color(palette());
    Symbols::draw(painter, QRectF(rect()), m_symbol,
                  isDown() ? Palette::withOpacity(color, pressedOpacity) : color, m_points);
    if (hasFocus()) {
        const qreal inset = KitStyle::focusRingWidth / 2;
        painter.setPen(
            QPen(Palette::withOpacity(KitStyle::accent(palette()), 0.8), KitStyle::focusRingWidth));
        painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}
