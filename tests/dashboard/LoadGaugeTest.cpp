#include "dashboard/LoadGauge.h"

#include "DashboardTestSupport.h"

#include <QtMath>
#include <gtest/gtest.h>

namespace {

constexpr QPointF centre(190, 100); // of a 380 × 200 gauge
constexpr qreal midRadius = 76;     // the ring's centre line
constexpr int tolerance = 8;

// The arc's colour scale: green, yellow, orange, red at 0, 1/3, 2/3 and 1.
QColor scaleAt(double position, Palette::Appearance look = Palette::Appearance::dark) {
    const QColor stops[] = {
        Palette::named(NamedColor::green, look), Palette::named(NamedColor::yellow, look),
        Palette::named(NamedColor::orange, look), Palette::named(NamedColor::red, look)};
    const double scaled = qBound(0.0, position, 1.0) * 3;
    const int i = qMin(2, int(scaled));
    const double t = scaled - i;
    const auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
    return QColor(mix(stops[i].red(), stops[i + 1].red()),
                  mix(stops[i].green(), stops[i + 1].green()),
                  mix(stops[i].blue(), stops[i + 1].blue()));
}

// The colour the arc must have at fraction f clockwise from 12 o'clock.
QColor arcColourAt(double f, Palette::Appearance look = Palette::Appearance::dark) {
    return scaleAt(f <= 0.75 ? f + 0.25 : f - 0.75, look);
}

QPoint pointAt(double f, qreal radius, qreal dpr = 1) {
    const qreal angle = 2 * M_PI * f;
    return QPointF((centre.x() + radius * qSin(angle)) * dpr,
                   (centre.y() - radius * qCos(angle)) * dpr)
        .toPoint();
}

QColor trackColour() {
    return blend(panelBackground(), Palette::white(0.05));
}

struct Gauge {
    explicit Gauge(double percent, LoadEngine::LoadStatus status = LoadEngine::LoadStatus::heavy,
                   qint64 total = 5'000'000'000, qint64 count = 42) {
        widget.setPalette(Palette::darkPanelPalette());
        widget.resize(380, 200);
        widget.setLoad(percent, status, total, count);
    }
    QColor at(double f, qreal radius = midRadius) {
        if (image.isNull())
            image = renderOnPanel(widget);
        return image.pixelColor(pointAt(f, radius));
    }
    LoadGauge widget;
    QImage image;
};

int pixelsNear(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += colorDistance(image.pixelColor(x, y), colour) < 40;
    return count;
}

TEST(LoadGauge, RingGeometryFollowsTheFrame) {
    EXPECT_EQ(LoadGauge::ringRect(QRectF(0, 0, 380, 200)), QRectF(114, 24, 152, 152));
    EXPECT_EQ(LoadGauge::ringRect(QRectF(0, 0, 300, 400)), QRectF(24, 74, 252, 252));
    EXPECT_EQ(LoadGauge::ringRect(QRectF(0, 0, 40, 40)).width(), 0);
}

TEST(LoadGauge, ThreeQuartersRunsClockwiseFromTwelveAndEndsRedAtNine) {
    Gauge gauge(0.75);
    // Starts three quarters of the way from green to yellow, at 12 o'clock.
    for (double f : {0.005, 0.125, 0.25, 0.5, 0.625, 0.74})
        EXPECT_LE(colorDistance(gauge.at(f), arcColourAt(f)), tolerance) << "f = " << f;
    EXPECT_LE(colorDistance(gauge.at(0.005), scaleAt(0.255)), tolerance);
    EXPECT_LE(colorDistance(gauge.at(0.745), darkNamed(NamedColor::red)), tolerance);
    // Nothing between 9 o'clock (plus the round cap) and 12 o'clock.
    for (double f : {0.82, 0.875, 0.93})
        EXPECT_LE(colorDistance(gauge.at(f), trackColour()), 3) << "f = " << f;
    // Inside and outside the ring, far from the arc, only the background.
    EXPECT_LE(colorDistance(gauge.at(0.875, 50), panelBackground()), 3);
    saveScreenshot(renderOnPanel(gauge.widget, 2), "gauge-0.75@2x.png");
}

TEST(LoadGauge, ZeroShowsOnlyTheTrack) {
    Gauge gauge(0.0);
    for (double f = 0; f < 1; f += 1.0 / 16) {
        EXPECT_LE(colorDistance(gauge.at(f), trackColour()), 2) << "f = " << f;
        // No round-cap dot at the start and no glow.
        EXPECT_LE(colorDistance(gauge.at(f, 94), panelBackground()), 1) << "f = " << f;
    }
    saveScreenshot(renderOnPanel(gauge.widget, 2), "gauge-0@2x.png");
}

TEST(LoadGauge, FullRingReturnsFromGreenTowardsItsStartColour) {
    Gauge gauge(1.0, LoadEngine::LoadStatus::critical);
    for (double f : {0.25, 0.5, 0.74, 0.76, 0.875, 0.99})
        EXPECT_LE(colorDistance(gauge.at(f), arcColourAt(f)), tolerance) << "f = " << f;
    EXPECT_LE(colorDistance(gauge.at(0.755), darkNamed(NamedColor::green)), tolerance);
    EXPECT_LE(colorDistance(gauge.at(0.995), gauge.at(0.005)), tolerance);
    saveScreenshot(renderOnPanel(gauge.widget, 2), "gauge-1.0@2x.png");
}

TEST(LoadGauge, GlowTakesTheStatusColour) {
    // Just outside the ring beside the arc, the glow tints the background.
    Gauge critical(0.5, LoadEngine::LoadStatus::critical);
    Gauge light(0.5, LoadEngine::LoadStatus::light);
    const QColor red = critical.at(0.25, 92);
    const QColor green = light.at(0.25, 92);
    EXPECT_GT(colorDistance(red, panelBackground()), 4);
    EXPECT_GT(red.red(), red.green());
    EXPECT_GT(green.green(), green.red());
}

TEST(LoadGauge, CentreTextsAndCaptionFollowTheStatusAlone) {
    Gauge moderate(0.05, LoadEngine::LoadStatus::moderate, 4'520'000'000, 120);
    EXPECT_EQ(moderate.widget.accessibleName(), "Desktop load: 4.52 GB, 120 items, Moderate");
    moderate.widget.setLoad(0, LoadEngine::LoadStatus::light, 0, 1);
    EXPECT_EQ(moderate.widget.accessibleName(), "Desktop load: Zero KB, 1 items, Light");
    moderate.widget.setLoad(0.05, LoadEngine::LoadStatus::moderate, 4'520'000'000, 120);

    const QRect middle(150, 70, 80, 70);
    Gauge critical(0.05, LoadEngine::LoadStatus::critical, 4'520'000'000, 120);
    const QImage yellowCaption = renderOnPanel(moderate.widget);
    const QImage redCaption = renderOnPanel(critical.widget);
    EXPECT_GT(pixelsNear(yellowCaption, middle, darkNamed(NamedColor::yellow)), 10);
    EXPECT_EQ(pixelsNear(yellowCaption, middle, darkNamed(NamedColor::red)), 0);
    EXPECT_GT(pixelsNear(redCaption, middle, darkNamed(NamedColor::red)), 10);
    // The white total is drawn in the middle too.
    EXPECT_GT(pixelsNear(yellowCaption, middle, Qt::white), 20);
}

TEST(LoadGauge, TotalsKeepClearOfTheRing) {
    // The ring's inner edge lies at radius 64; texts keep 4 points from it.
    for (const qint64 total : {qint64(0), qint64(5'370'000'000), qint64(888'880'000'000)}) {
        Gauge gauge(0.0, LoadEngine::LoadStatus::critical, total, 99999);
        const QImage image = renderOnPanel(gauge.widget);
        int stray = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const qreal r = QLineF(centre, QPointF(x + 0.5, y + 0.5)).length();
                const QColor pixel = image.pixelColor(x, y);
                if (r > 60 && r < 87)
                    stray += colorDistance(pixel, trackColour()) > 6 &&
                             colorDistance(pixel, panelBackground()) > 6;
            }
        EXPECT_EQ(stray, 0) << total;
        saveScreenshot(renderOnPanel(gauge.widget, 2), QString("gauge-total-%1@2x.png").arg(total));
    }
}

TEST(LoadGauge, FollowsALightWindowPalette) {
    // In the main window the gauge draws its neutral parts in the window text colour.
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xf5, 0xf5, 0xf7));
    light.setColor(QPalette::WindowText, Qt::black);
    Gauge gauge(0.5, LoadEngine::LoadStatus::heavy);
    gauge.widget.setPalette(light);
    const QImage image = renderOn(gauge.widget, light.color(QPalette::Window));
    EXPECT_LE(colorDistance(image.pixelColor(pointAt(0.875, midRadius)),
                            blend(light.color(QPalette::Window), QColor(0, 0, 0, 13))),
              2);
    EXPECT_LE(colorDistance(image.pixelColor(pointAt(0.25, midRadius)),
                            arcColourAt(0.25, Palette::Appearance::light)),
              tolerance);
    EXPECT_GT(pixelsNear(image, QRect(150, 70, 80, 70), Qt::black), 20);
}

TEST(LoadGauge, HighDensityRenderingKeepsGeometryAndSharpEdges) {
    Gauge gauge(0.75);
    const QImage image = renderOnPanel(gauge.widget, 2);
    ASSERT_EQ(image.size(), QSize(760, 400));
    EXPECT_LE(colorDistance(image.pixelColor(pointAt(0.25, midRadius, 2)), arcColourAt(0.25)),
              tolerance);
    // A quarter point inside the stroke's outer edge is still fully painted.
    EXPECT_LE(colorDistance(image.pixelColor(pointAt(0.25, 87.25, 2)), arcColourAt(0.25)),
              tolerance);
    EXPECT_LE(colorDistance(image.pixelColor(pointAt(0.25, 64.75, 2)), arcColourAt(0.25)),
              tolerance);
}

} // namespace
