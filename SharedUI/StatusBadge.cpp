#include "StatusBadge.h"

#include "KitStyle.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QPainter>

namespace {

constexpr double symbolPoints = 10;
constexpr double textPoints = 11;
constexpr int spacing = 6;
constexpr int paddingX = 10;
constexpr int paddingY = 5;
constexpr double fillOpacity = 0.15;

QFont textFont() {
    return TextStyles::font(textPoints, QFont::Medium);
}

} // namespace

NamedColor StatusBadge::colorOf(Status status) {
    switch (status) {
    case Status::active:
        return NamedColor::green;
    case Status::inactive:
        return NamedColor::gray;
    case Status::warning:
        return NamedColor::yellow;
    case Status::error:
        return NamedColor::red;
    case Status::processing:
        return NamedColor::blue;
    }
    return NamedColor::gray;
}

QString StatusBadge::symbolOf(Status status) {
    switch (status) {
    case Status::active:
        return QStringLiteral("checkmark.circle.fill");
    case Status::inactive:
        return QStringLiteral("circle");
    case Status::warning:
        return QStringLiteral("exclamationmark.triangle.fill");
    case Status::error:
        return QStringLiteral("xmark.circle.fill");
    case Status::processing:
        return QStringLiteral("arrow.triangle.2.circlepath");
    }
    return {};
}

bool StatusBadge::pulses(Status status) {
    return status == Status::active || status == Status::processing;
}

StatusBadge::StatusBadge(Status status, const QString& text, QWidget* parent)
    : QWidget(parent), m_status(status), m_text(text), m_clock(Motion::steadySeconds) {
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Motion::useFrameInterval(m_timer);
    // Only the symbol moves: repaint just its box at the largest scale.
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QRectF box = symbolRect();
        const double grow = box.width() * (pulseHigh - 1) / 2 + 1;
        update(box.adjusted(-grow, -grow, grow, grow).toAlignedRect());
    });
}

void StatusBadge::setClock(Motion::Clock clock) {
    m_clock = std::move(clock);
}

double StatusBadge::symbolScale() const {
    if (!isPulsing())
        return pulseLow;
    return Motion::pulse(m_clock() - m_pulseStart, pulseLow, pulseHigh, pulseSeconds);
}

QSize StatusBadge::sizeHint() const {
    const QFontMetrics metrics(textFont());
    const int width = int(symbolPoints) + spacing + metrics.horizontalAdvance(m_text);
    const int height = std::max(metrics.height(), int(symbolPoints));
    return {width + 2 * paddingX, height + 2 * paddingY};
}

QRectF StatusBadge::symbolRect() const {
    return {double(paddingX), (height() - symbolPoints) / 2, symbolPoints, symbolPoints};
}

void StatusBadge::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A badge that reappears starts its pulse again.
    if (pulses(m_status) && !KitStyle::reduceMotion()) {
        m_pulseStart = m_clock();
        m_timer.start();
    }
}

void StatusBadge::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void StatusBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = KitStyle::named(colorOf(m_status), palette());
    const QRectF capsule = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::withOpacity(color, fillOpacity));
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    const QRectF symbol = symbolRect();
    painter.save();
    const double s = symbolScale();
    painter.translate(symbol.center());
    painter.scale(s, s);
    painter.translate(-symbol.center());
    Symbols::draw(painter, symbol, symbolOf(m_status), color, symbolPoints);
    painter.restore();

    painter.setFont(textFont());
    painter.setPen(color);
    const QRectF textBox(symbol.right() + spacing, 0, width() - symbol.right() - spacing, height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, m_text);
}
