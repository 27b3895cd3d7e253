#include "AnimatedButton.h"

#include "KitStyle.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

constexpr double fontPoints = 14;
constexpr int iconSpacing = 8;
constexpr int paddingX = 20;
constexpr int paddingY = 12;
constexpr double cornerRadius = 12;
constexpr double shadowRadius = 8;
constexpr double shadowOpacity = 0.3;

QFont labelFont() {
    return TextStyles::font(fontPoints, QFont::DemiBold);
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Enter acts on the button as Space does.
QKeyEvent asSpace(const QKeyEvent& event) {
    return QKeyEvent(event.type(), Qt::Key_Space, event.modifiers(), QStringLiteral(" "),
                     event.isAutoRepeat());
}

} // namespace

AnimatedButton::AnimatedButton(const QString& title, std::optional<QString> icon,
                               std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), m_icon(std::move(icon)), m_action(std::move(action)),
      m_clock(Motion::steadySeconds), m_shadow(shadowRadius, QPointF(0, 4)) {
    setText(title);
    KitStyle::makeFocusable(this, title);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Motion::useFrameInterval(m_timer);
    connect(&m_timer, &QTimer::timeout, this, &AnimatedButton::tick);
    // Down follows the pointer (dragging off the button lets it go, as on any
    // desktop button); clicked() comes only from a press released on it.
    connect(this, &QAbstractButton::pressed, this, [this] { setPressed(true); });
    connect(this, &QAbstractButton::released, this, [this] { setPressed(false); });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

void AnimatedButton::setClock(Motion::Clock clock) {
    m_clock = std::move(clock);
}

double AnimatedButton::scale() const {
    if (!m_timer.isActive())
        return m_spring.to;
    return m_spring.value(m_clock() - m_springStart);
}

void AnimatedButton::setPressed(bool pressed) {
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    const double target = pressed ? pressedScale : 1.0;
    if (m_reduceMotion || !isVisible()) {
        m_spring = {target, 0, target};
        m_timer.stop();
    } else {
        // Start from where the label is now, keeping its speed, so a quick
        // press and release never jumps.
        const double now = m_clock();
        const double elapsed = now - m_springStart;
        const bool moving = m_timer.isActive();
        m_spring = {moving ? m_spring.value(elapsed) : m_spring.to,
                    moving ? m_spring.velocityAt(elapsed) : 0.0, target};
        m_springStart = now;
        m_timer.start();
    }
    update();
}

void AnimatedButton::tick() {
    if (m_spring.settled(m_clock() - m_springStart))
        m_timer.stop();
    update();
}

QSize AnimatedButton::labelSize() const {
    const QFontMetrics metrics(labelFont());
    int width = metrics.horizontalAdvance(text());
    if (m_icon)
        width += int(fontPoints) + iconSpacing;
    return {width + 2 * paddingX, std::max(metrics.height(), int(fontPoints)) + 2 * paddingY};
}

QSize AnimatedButton::sizeHint() const {
    return labelSize().grownBy(m_shadow.margins());
}

QRectF AnimatedButton::labelRect() const {
    return QRectF(rect().marginsRemoved(m_shadow.margins()));
}

bool AnimatedButton::hitButton(const QPoint& pos) const {
    return labelRect().contains(pos);
}

void AnimatedButton::keyPressEvent(QKeyEvent* event) {
    if (!isEnterKey(event->key()))
        return QAbstractButton::keyPressEvent(event);
    QKeyEvent space = asSpace(*event);
    QAbstractButton::keyPressEvent(&space);
}

void AnimatedButton::keyReleaseEvent(QKeyEvent* event) {
    if (!isEnterKey(event->key()))
        return QAbstractButton::keyReleaseEvent(event);
    QKeyEvent space = asSpace(*event);
    QAbstractButton::keyReleaseEvent(&space);
}

void AnimatedButton::showEvent(QShowEvent* event) {
    QAbstractButton::showEvent(event);
    m_reduceMotion = KitStyle::reduceMotion();
}

void AnimatedButton::hideEvent(QHideEvent* event) {
    QAbstractButton::hideEvent(event);
    // Press state lives only while shown.
    setDown(false);
    m_pressed = false;
    m_spring = {};
    m_timer.stop();
}

void AnimatedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);
    const QRectF label = labelRect();
    const double s = scale();
    painter.translate(label.center());
    painter.scale(s, s);
    painter.translate(-label.center());
    const QColor accent = KitStyle::accent(palette());
    m_shadow.paint(painter, label, cornerRadius, Palette::withOpacity(accent, shadowOpacity));
    paintLabel(painter, label);
}

void AnimatedButton::paintLabel(QPainter& painter, const QRectF& label) {
    const QColor accent = KitStyle::accent(palette());
    QLinearGradient fill(label.topLeft(), label.bottomLeft());
    fill.setColorAt(0, accent);
    fill.setColorAt(1, Palette::withOpacity(accent, 0.8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(label, cornerRadius, cornerRadius);
    if (hasFocus())
        KitStyle::paintFocusRing(painter, label.adjusted(-2, -2, 2, 2), cornerRadius + 2,
                                 Palette::withOpacity(accent, 0.5), 2);

    QRectF content = label.adjusted(paddingX, paddingY, -paddingX, -paddingY);
    if (m_icon) {
        const QRectF iconBox(content.left(), content.center().y() - fontPoints / 2, fontPoints,
                             fontPoints);
        Symbols::draw(painter, iconBox, *m_icon, Qt::white, fontPoints, QFont::DemiBold);
        content.setLeft(iconBox.right() + iconSpacing);
    }
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text());
}
