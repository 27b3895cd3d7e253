#include "MenuBarIconView.h"

#include "KitStyle.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr qreal iconPoints = 16;
constexpr qreal badgePoints = 9;
constexpr qreal badgePaddingX = 4;
constexpr qreal badgePaddingY = 1;
constexpr int badgeCap = 99;

std::optional<QString> badgeText(std::optional<int> badge) {
    if (!badge || *badge <= 0)
        return std::nullopt;
    return QString::number(std::min(*badge, badgeCap));
}

QFont badgeFont() {
    return TextStyles::font(badgePoints, QFont::Bold);
}

} // namespace

MenuBarIconView::MenuBarIconView(const QString& icon, bool isActive, std::optional<int> badge,
                                 std::optional<QColor> color, QWidget* parent)
    : QWidget(parent), m_icon(icon), m_isActive(isActive), m_badgeText(badgeText(badge)),
      m_color(color) {
    setFixedSize(iconFrame + badgeShift, iconFrame + badgeShift);
    setAccessibleName(m_badgeText.value_or(QString()));
}

QColor MenuBarIconView::iconColor() const {
    return m_isActive ? KitStyle::colorOrAccent(m_color, palette())
                      : KitStyle::secondary(palette());
}

void MenuBarIconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    Symbols::draw(painter, QRectF(0, badgeShift, iconFrame, iconFrame), m_icon, iconColor(),
                  iconPoints, QFont::Medium);
    if (m_badgeText)
        paintBadge(painter, *m_badgeText);
}

void MenuBarIconView::paintBadge(QPainter& painter, const QString& text) const {
    const QFontMetricsF metrics(badgeFont());
    const QSizeF size(metrics.horizontalAdvance(text) + 2 * badgePaddingX,
                      metrics.height() + 2 * badgePaddingY);
    // Top-right corner at the frame's top-right corner, moved right and up.
    const QRectF capsule(QPointF(iconFrame + badgeShift - size.width(), 0), size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(KitStyle::named(NamedColor::red, palette()));
    painter.drawRoundedRect(capsule, size.height() / 2, size.height() / 2);
    painter.setFont(badgeFont());
    painter.setPen(Qt::white);
    painter.drawText(capsule, Qt::AlignCenter, text);
}
