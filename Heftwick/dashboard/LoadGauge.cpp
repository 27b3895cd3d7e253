#include "LoadGauge.h"

#include "Platform/Blur.h"
#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "Platform/Tone.h"
#include "dashboard/EngineTexts.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal shadowRadius = 10;
constexpr qreal shadowOpacity = 0.4;
constexpr qreal lineGap = 4;
constexpr qreal dotSize = 6;
constexpr qreal captionGap = 4;
constexpr QMarginsF captionPadding(8, 3, 8, 3);
constexpr qreal textClearance = 4; // between the total and the ring's inner edge
constexpr int minTotalPixels = 10;

QFont totalFont() {
    return TextStyles::font(26, QFont::Black, FontDesign::rounded);
}
// The widest a line may be inside a circle of a radius when its ink runs
// from top to bottom (measured from the circle's centre, downwards).
qreal chordWidth(qreal radius, qreal top, qreal bottom) {
    const qreal distance = qMax(qAbs(top), qAbs(bottom));
    return distance < radius ? 2 * qSqrt(radius * radius - distance * distance) : 0;
}
// The total keeps its size unless it would come closer to the ring than the
// clearance; then it takes the largest size that fits, centred on the line
// laid out for the full size (top and height relative to the ring's centre).
QFont totalFontWithin(const QString& text, qreal lineTop, qreal lineHeight, qreal radius) {
    QFont font = totalFont();
    for (int pixels = font.pixelSize(); pixels > minTotalPixels; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        const qreal baseline = lineTop + (lineHeight - metrics.height()) / 2 + metrics.ascent();
        if (metrics.horizontalAdvance(text) <=
            chordWidth(radius, baseline - metrics.capHeight(), baseline + metrics.descent()))
            return font;
    }
    font.setPixelSize(minTotalPixels);
    return font;
}
QFont countFont() {
    return TextStyles::font(11, QFont::Medium);
}
QFont captionFont() {
    return TextStyles::font(9, QFont::Black, FontDesign::rounded);
}

// The arc's paint. Going clockwise from 9 o'clock, the colours run green,
// yellow, orange, red and are back at 9 o'clock, so the arc, which starts at 12
// o'clock, begins three quarters of the way from green to yellow and reaches
// pure red at 9 o'clock. Qt's conical gradient runs counter-clockwise from its
// start angle (degrees counter-clockwise from 3 o'clock), so the stops are laid
// out in reverse from 9 o'clock (180 degrees).
QConicalGradient arcGradient(const QPointF& centre, const QPalette& palette) {
    QConicalGradient gradient(centre, 180);
    gradient.setColorAt(0.0, Tone::resolve(NamedColor::red, palette));
    gradient.setColorAt(1.0 / 3, Tone::resolve(NamedColor::orange, palette));
    gradient.setColorAt(2.0 / 3, Tone::resolve(NamedColor::yellow, palette));
    gradient.setColorAt(1.0, Tone::resolve(NamedColor::green, palette));
    return gradient;
}

// The outline from 12 o'clock clockwise over the fraction of the circle.
QPainterPath arcPath(const QRectF& ring, double percent) {
    QPainterPath path;
    path.arcMoveTo(ring, 90);
    path.arcTo(ring, 90, -360 * percent);
    return path;
}

QPen arcPen(const QBrush& brush) {
    QPen pen(brush, LoadGauge::strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

// The stroked arc in opaque black on transparency, at device resolution.
QImage arcMask(const QPainterPath& arc, const QSize& deviceSize, qreal dpr) {
    QImage mask(deviceSize, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(dpr, dpr);
        painter.strokePath(arc, arcPen(Qt::black));
    }
    return mask;
}

// The soft glow of the stroked arc, tinted, at device resolution.
QImage blurredShadow(const QPainterPath& arc, const QSize& deviceSize, qreal dpr,
                     const QColor& color) {
    QImage shadow = arcMask(arc, deviceSize, dpr);
    // A blur radius is about two standard deviations of the Gaussian; each of
    // the three boxes takes that deviation as its radius.
    const int boxRadius = qMax(1, qRound(shadowRadius / 2 * dpr));
    Blur::threeBoxes(shadow, {boxRadius, boxRadius, boxRadius});
    {
        QPainter painter(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shadow.rect(), color);
    }
    shadow.setDevicePixelRatio(dpr);
    return shadow;
}

} // namespace

LoadGauge::LoadGauge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setLoad(0, LoadEngine::LoadStatus::light, 0, 0);
}

void LoadGauge::setLoad(double percent, LoadEngine::LoadStatus status, qint64 total, qint64 count) {
    m_percent = qBound(0.0, percent, 1.0);
    m_status = status;
    m_total = total;
    m_count = count;
    setAccessibleName(tr("Desktop load: %1, %2 items, %3")
                          .arg(formatBytes(total))
                          .arg(count)
                          .arg(EngineTexts::statusName(status)));
    update();
}

QRectF LoadGauge::ringRect(const QRectF& frame) {
    const QRectF area = frame.adjusted(inset, inset, -inset, -inset);
    const qreal diameter = qMax(0.0, qMin(area.width(), area.height()));
    QRectF ring(0, 0, diameter, diameter);
    ring.moveCenter(area.center());
    return ring;
}

QSize LoadGauge::sizeHint() const {
    return {380, 200};
}

QColor LoadGauge::statusColor(qreal opacity) const {
    return Tone::resolve(m_status.color(), palette(), opacity);
}

void LoadGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF ring = ringRect(rect());
    paintTrack(painter, ring);
    if (m_percent > 0) {
        paintShadow(painter, ring);
        paintArc(painter, ring);
    }
    paintCentre(painter, ring);
}

void LoadGauge::paintTrack(QPainter& painter, const QRectF& ring) const {
    painter.setPen(
        QPen(Palette::withOpacity(palette().color(QPalette::WindowText), 0.05), strokeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ring);
}

void LoadGauge::paintArc(QPainter& painter, const QRectF& ring) const {
    painter.strokePath(arcPath(ring, m_percent), arcPen(arcGradient(ring.center(), palette())));
}

void LoadGauge::paintShadow(QPainter& painter, const QRectF& ring) {
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QColor color = statusColor(shadowOpacity);
    const ShadowKey key{(QSizeF(size()) * dpr).toSize(), dpr, m_percent, color.rgba()};
    if (!(key == m_shadowKey)) {
        m_shadow = blurredShadow(arcPath(ring, m_percent), key.deviceSize, dpr, color);
        m_shadowKey = key;
    }
    painter.drawImage(QPointF(0, 0), m_shadow);
}

void LoadGauge::paintCentre(QPainter& painter, const QRectF& ring) const {
    const QString totalText = formatBytes(m_total);
    const QString countText = tr("%1 items").arg(m_count);
    const QString captionText = EngineTexts::statusName(m_status).toUpper();
    // The column is laid out for the total at its full size; a total that
    // would come closer to the ring than the clearance is drawn smaller,
    // centred on the same line.
    const QFontMetricsF totalMetrics(totalFont());
    const QFontMetricsF countMetrics(countFont());
    const QFontMetricsF captionMetrics(captionFont());
    const QSizeF caption(captionPadding.left() + dotSize + captionGap +
                             captionMetrics.horizontalAdvance(captionText) + captionPadding.right(),
                         captionPadding.top() + captionMetrics.height() + captionPadding.bottom());
    const qreal columnHeight =
        totalMetrics.height() + lineGap + countMetrics.height() + lineGap + caption.height();
    qreal y = (height() - columnHeight) / 2;
    const QFont total = totalFontWithin(totalText, y - ring.center().y(), totalMetrics.height(),
                                        ring.width() / 2 - strokeWidth / 2 - textClearance);

    const QColor text = palette().color(QPalette::WindowText);
    painter.setFont(total);
    painter.setPen(text);
    painter.drawText(QRectF(0, y, width(), totalMetrics.height()), Qt::AlignCenter, totalText);
    y += totalMetrics.height() + lineGap;

    painter.setFont(countFont());
    painter.setPen(Palette::withOpacity(text, 0.4));
    painter.drawText(QRectF(0, y, width(), countMetrics.height()), Qt::AlignCenter, countText);
    y += countMetrics.height() + lineGap;

    const QRectF capsule(QPointF((width() - caption.width()) / 2, y), caption);
    painter.setPen(Qt::NoPen);
    painter.setBrush(statusColor(0.1));
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.setBrush(statusColor());
    const QRectF dot(capsule.left() + captionPadding.left(), capsule.center().y() - dotSize / 2,
                     dotSize, dotSize);
    painter.drawEllipse(dot);
    painter.setFont(captionFont());
    painter.setPen(statusColor());
    painter.drawText(QRectF(dot.right() + captionGap, capsule.top() + captionPadding.top(),
                            captionMetrics.horizontalAdvance(captionText), captionMetrics.height()),
                     Qt::AlignCenter, captionText);
}
