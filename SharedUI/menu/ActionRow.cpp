#include "ActionRow.h"

#include "KitStyle.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QPainter>
#include <QtMath>

namespace {

constexpr qreal spacing = 12;
constexpr qreal verticalPadding = 6;
constexpr qreal tileSide = 24;
constexpr qreal tileRadius = 6;
constexpr qreal tileOpacity = 0.1;
constexpr qreal iconPoints = 14;
constexpr qreal titlePoints = 13;
constexpr qreal chevronPoints = 10;
constexpr qreal pressedOpacity = 0.5;
constexpr qreal focusRingRadius = 6;

qreal chevronWidth() {
    return QFontMetricsF(Symbols::font(chevronPoints)).height();
}

} // namespace

ActionRow::ActionRow(const QString& icon, const QString& title, std::optional<QColor> color,
                     std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), m_icon(icon), m_color(color) {
    setText(title);
    setFont(TextStyles::font(titlePoints));
    KitStyle::makeFocusable(this, title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

ActionRow::ActionRow(const QString& icon, const QString& title, std::function<void()> action,
                     QWidget* parent)
    : ActionRow(icon, title, std::nullopt, std::move(action), parent) {}

QSize ActionRow::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal width =
        tileSide + spacing + metrics.horizontalAdvance(text()) + spacing + chevronWidth();
    const qreal height = std::max(tileSide, metrics.height()) + 2 * verticalPadding;
    return {qCeil(width), qCeil(height)};
}

QSize ActionRow::minimumSizeHint() const {
    return sizeHint();
}

void ActionRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QPalette& colors = palette();
    const qreal fade = isDown() ? pressedOpacity : 1.0;
    const QColor tint = Palette::withOpacity(KitStyle::colorOrAccent(m_color, colors), fade);

    const QRectF tile(0, (height() - tileSide) / 2, tileSide, tileSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::withOpacity(tint, tileOpacity));
    painter.drawRoundedRect(tile, tileRadius, tileRadius);
    Symbols::draw(painter, tile, m_icon, tint, iconPoints);

    const qreal chevron = chevronWidth();
    const qreal titleLeft = tileSide + spacing;
    painter.setFont(font());
    painter.setPen(Palette::withOpacity(KitStyle::primary(colors), fade));
    const QRectF titleBox(titleLeft, 0, width() - titleLeft - spacing - chevron, height());
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, titleBox.width()));
    Symbols::draw(painter, QRectF(width() - chevron, 0, chevron, height()),
                  QStringLiteral("chevron.right"),
                  Palette::withOpacity(KitStyle::secondary(colors), fade), chevronPoints);

    if (hasFocus()) {
        const qreal inset = KitStyle::focusRingWidth / 2;
        KitStyle::paintFocusRing(painter, QRectF(rect()).adjusted(inset, inset, -inset, -inset),
                                 focusRingRadius,
                                 Palette::withOpacity(KitStyle::accent(colors), 0.8));
    }
}
