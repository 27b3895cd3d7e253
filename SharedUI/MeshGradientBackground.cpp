#include "MeshGradientBackground.h"

#include "KitStyle.h"
#include "Platform/Blur.h"
#include "Platform/Palette.h"
#include "SharedCore/ReferenceDate.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace {

constexpr int blobCount = 4;
// The blur's radius in points, taken as the Gaussian's standard deviation.
constexpr double blurRadius = 60;
// Points per pixel of the reduced picture.
constexpr double reduction = 8;

double wallClock() {
    return secondsSinceReferenceDate(QDateTime::currentDateTimeUtc());
}

} // namespace

QList<QColor> MeshGradientBackground::defaultColors() {
    using Palette::Appearance;
    return {Palette::named(NamedColor::purple, Appearance::dark),
            Palette::named(NamedColor::blue, Appearance::dark),
            Palette::named(NamedColor::cyan, Appearance::dark),
            Palette::named(NamedColor::green, Appearance::dark)};
}

MeshGradientBackground::MeshGradientBackground(QList<QColor> colors, double speed, QWidget* parent)
    : QWidget(parent), m_colors(std::move(colors)), m_speed(speed), m_clock(wallClock) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    Motion::useFrameInterval(m_timer);
    connect(&m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void MeshGradientBackground::setClock(Motion::Clock clock) {
    m_clock = std::move(clock);
    update();
}

std::vector<MeshGradientBackground::Blob> MeshGradientBackground::blobs(const QList<QColor>& colors,
                                                                        double t, QSizeF size) {
    std::vector<Blob> out;
    if (colors.isEmpty())
        return out;
    const double w = size.width();
    const double h = size.height();
    for (int i = 0; i < blobCount; ++i) {
        const double phase = i * std::numbers::pi / 2;
        out.push_back({QPointF(w * 0.5 + std::cos(t + phase) * w * 0.3,
                               h * 0.5 + std::sin(t * 0.7 + phase) * h * 0.3),
                       colors.at(i % colors.size())});
    }
    return out;
}

QImage MeshGradientBackground::reducedFrame(const QList<QColor>& colors, double t, QSizeF size) {
    const QSize pixels(std::max(1, int(std::ceil(size.width() / reduction))),
                       std::max(1, int(std::ceil(size.height() / reduction))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(1 / reduction, 1 / reduction);
        p.setPen(Qt::NoPen);
        const double w = size.width();
        const double h = size.height();
        for (const Blob& blob : blobs(colors, t, size)) {
            // From the colour at 60 % at the centre to nothing at the
            // bottom-trailing corner of the blob's box.
            QLinearGradient gradient(blob.centre, blob.centre + QPointF(0.4 * w, 0.4 * h));
            gradient.setColorAt(0, Palette::withOpacity(blob.color, 0.6));
            gradient.setColorAt(1, Palette::withOpacity(blob.color, 0));
            p.setBrush(gradient);
            p.drawEllipse(blob.centre, 0.4 * w, 0.4 * h);
        }
    }
    Blur::gaussian(image, blurRadius / reduction);
    return image;
}

void MeshGradientBackground::paintFrame(QPainter& painter, const QRectF& target,
                                        const QImage& reduced) {
    painter.fillRect(target, Qt::black);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The reduced picture may reach a little past the size; map only the part
    // that stands for the target.
    const QRectF source(0, 0, target.width() / reduction, target.height() / reduction);
    painter.drawImage(target, reduced, source);
    painter.restore();
}

QImage MeshGradientBackground::frame(const QList<QColor>& colors, double speed,
                                     double referenceSeconds, QSize size, double devicePixelRatio) {
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    paintFrame(painter, QRectF(QPointF(0, 0), size),
               reducedFrame(colors, referenceSeconds * speed, size));
    return image;
}

double MeshGradientBackground::animationTime() const {
    return m_still ? 0.0 : m_clock() * m_speed;
}

const QImage& MeshGradientBackground::reducedFrameNow() {
    const double t = animationTime();
    if (m_reduced.isNull() || t != m_reducedTime || size() != m_reducedSize) {
        m_reduced = reducedFrame(m_colors, t, size());
        m_reducedTime = t;
        m_reducedSize = size();
    }
    return m_reduced;
}

void MeshGradientBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFrame(painter, rect(), reducedFrameNow());
}

void MeshGradientBackground::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_still = KitStyle::reduceMotion();
    if (!m_still)
        m_timer.start();
}

void MeshGradientBackground::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}
