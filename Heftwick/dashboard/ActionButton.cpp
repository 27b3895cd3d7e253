#include "ActionButton.h"

#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"
#include "Platform/Tone.h"
#include "RemedyNoteLine.h"
#include "engine/LoadEngine.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal iconPoints = 16;
constexpr qreal lineGap = 4;
constexpr qreal verticalPadding = 10;
constexpr qreal cornerRadius = 10;
constexpr qreal borderWidth = 0.5;
constexpr qreal focusRingWidth = 1.5;
constexpr int cleanupAgeDays = 30;

QFont labelFont() {
    return TextStyles::font(9, QFont::DemiBold);
}

qreal iconHeight() {
    return QFontMetricsF(Symbols::font(iconPoints, QFont::DemiBold)).height();
}

} // namespace

ActionButton::ActionButton(const QString& icon, const QString& label, const QColor& color,
                           std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), m_icon(icon), m_color(color) {
    setText(label);
    setAccessibleName(label);
    setFont(labelFont());
    // Keyboard users reach it with Tab; a mouse click acts without leaving a focus ring.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

QSize ActionButton::sizeHint() const {
    const QFontMetricsF label(font());
    const qreal h = verticalPadding + iconHeight() + lineGap + label.height() + verticalPadding;
    return QSizeF(label.horizontalAdvance(text()) + 2 * verticalPadding, h).toSize();
}

QSize ActionButton::minimumSizeHint() const {
    return sizeHint();
}

void ActionButton::keyPressEvent(QKeyEvent* event) {
    // Space is handled by the button itself; Return and Enter press it too
    // (the keypad's Enter arrives with the keypad modifier).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF tile(rect());
    QPainterPath shape;
    shape.addRoundedRect(tile, cornerRadius, cornerRadius);
    painter.fillPath(shape, Palette::withOpacity(m_color, 0.08));
    // Stroked over the tile and clipped to it: only the inner half of the line shows.
    const qreal inset = borderWidth / 2;
    painter.setPen(QPen(Palette::withOpacity(m_color, 0.15), borderWidth));
    painter.drawRoundedRect(tile.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                            cornerRadius - inset);
    if (hasFocus()) {
        const qreal ring = focusRingWidth / 2;
        painter.setPen(QPen(Palette::withOpacity(m_color, 0.8), focusRingWidth));
        painter.drawRoundedRect(tile.adjusted(ring, ring, -ring, -ring), cornerRadius - ring,
                                cornerRadius - ring);
    }

    // A pressed tile dims its content, as a plain button does.
    const QColor content = Palette::withOpacity(m_color, isDown() ? 0.4 : 0.8);
    const QFontMetricsF label(font());
    const qreal icon = iconHeight();
    const qreal top = (height() - (icon + lineGap + label.height())) / 2;
    Symbols::draw(painter, QRectF(0, top, width(), icon), m_icon, content, iconPoints,
                  QFont::DemiBold);
    painter.setFont(font());
    painter.setPen(content);
    painter.drawText(QRectF(0, top + icon + lineGap, width(), label.height()), Qt::AlignCenter,
                     text());
}

void addRemedyTiles(QBoxLayout* row, LoadEngine& engine, RemedyNoteLine& line,
                    const QPalette& palette, const RemedyCaptions& captions) {
    row->addWidget(new ActionButton(
        QStringLiteral("trash"), captions.cleanOld, Tone::resolve(NamedColor::red, palette),
        [&engine, &line] { line.run([&engine] { engine.cleanOldFiles(cleanupAgeDays); }); }));
    row->addWidget(new ActionButton(QStringLiteral("folder.badge.plus"), captions.archive,
                                    Tone::resolve(NamedColor::blue, palette), [&engine, &line] {
                                        line.run([&engine] { engine.archiveToFolder(); });
                                    }));
    row->addWidget(new ActionButton(QStringLiteral("arrow.clockwise"), captions.rescan,
                                    Tone::resolve(NamedColor::green, palette),
                                    [&engine] { engine.scan(); }));
}
