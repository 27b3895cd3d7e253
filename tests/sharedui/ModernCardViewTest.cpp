#include "SharedUI/ModernCardView.h"

#include "AnimationProbe.h"
#include "Pixels.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "SharedCore/AppPreferences.h"
#include "SharedUI/KitStyle.h"
#include "TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Status = StatusBadge::Status;

// A hand-stepped clock for the widgets' animations.
struct ManualClock {
    double now = 0;
    Motion::Clock clock() {
        return [this] { return now; };
    }
};

void storeReduceMotion(bool reduce) {
    AppPreferences prefs;
    prefs.reduceMotion = reduce;
    prefs.save();
}

} // namespace

TEST(MotionCurves, PulseEasesInAndOutOneSecondEachWayForever) {
    EXPECT_DOUBLE_EQ(Motion::easeInOut(0), 0);
    EXPECT_LT(Motion::easeInOut(0.1), 0.05) << "starts slowly";
    EXPECT_GT(Motion::easeInOut(0.9), 0.95) << "ends slowly";
    for (int i = 1; i <= 50; ++i) {
        const double x = i * 0.02;
        EXPECT_GT(Motion::easeInOut(x), Motion::easeInOut(x - 0.02));
        EXPECT_NEAR(Motion::easeInOut(x) + Motion::easeInOut(1 - x), 1, 1e-6);
    }
    for (const double base : {0.0, 2.0, 40.0}) {
        const auto pulse = [base](double t) { return Motion::pulse(base + t, 1.0, 1.1, 1.0); };
        EXPECT_NEAR(pulse(0), 1.0, 1e-9);
        EXPECT_NEAR(pulse(0.5), 1.05, 1e-9);
        EXPECT_NEAR(pulse(1), 1.1, 1e-9);
        EXPECT_NEAR(pulse(1.3), pulse(0.7), 1e-9);
    }
}

class SharedUiTest : public ::testing::Test {
protected:
    ScopedHome home; // reduced motion is read from the stored preferences
};

TEST_F(SharedUiTest, ButtonHeldStaysAtPressedScaleThenSpringsBackAndActsOnce) {
    ManualClock clock;
    int actions = 0;
    AnimatedButton button("Go", std::nullopt, [&] { ++actions; });
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    AnimationProbe::setClock(button, clock.clock());
    button.show();
    const QPoint centre = button.rect().center();

    QTest::mousePress(&button, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(AnimationProbe::isPressed(button));
    EXPECT_TRUE(AnimationProbe::isAnimating(button));
    EXPECT_NEAR(AnimationProbe::scale(button), 1.0, 1e-9);
    clock.now = 0.1;
    EXPECT_LT(AnimationProbe::scale(button), 1.0);
    for (const double held : {2.0, 5.0, 30.0}) {
        clock.now = held;
        EXPECT_NEAR(AnimationProbe::scale(button), 0.95, 1e-4);
    }
    EXPECT_TRUE(waitUntil([&] { return !AnimationProbe::isAnimating(button); }, 1000))
        << "settled spring idles";
    EXPECT_DOUBLE_EQ(AnimationProbe::scale(button), 0.95);
    EXPECT_EQ(actions, 0);

    QTest::mouseRelease(&button, Qt::LeftButton, {}, centre);
    EXPECT_FALSE(AnimationProbe::isPressed(button));
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(clicked.count(), 1);
    const double released = clock.now;
    clock.now = released + 0.1;
    QTest::qWait(50);
    EXPECT_TRUE(AnimationProbe::isAnimating(button)) << "still springing back";
    double peak = 0;
    for (int i = 0; i <= 50; ++i) {
        const double t = i * 0.02;
        clock.now = released + t;
        peak = std::max(peak, AnimationProbe::scale(button));
    }
    EXPECT_GT(peak, 1.003);
    EXPECT_LT(peak, 1.01);
    clock.now = released + 3;
    EXPECT_TRUE(waitUntil([&] { return !AnimationProbe::isAnimating(button); }, 1000));
    EXPECT_DOUBLE_EQ(AnimationProbe::scale(button), 1.0);
    EXPECT_EQ(actions, 1);
}

TEST_F(SharedUiTest, QuickReleaseContinuesFromWhereTheLabelIs) {
    ManualClock clock;
    AnimatedButton button("Go");
    AnimationProbe::setClock(button, clock.clock());
    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, button.rect().center());
    clock.now = 0.04 - 1e-4;
    const double earlier = AnimationProbe::scale(button);
    clock.now = 0.04;
    const double before = AnimationProbe::scale(button);
    const double slope = (before - earlier) / 1e-4;
    QTest::mouseRelease(&button, Qt::LeftButton, {}, button.rect().center());
    EXPECT_NEAR(AnimationProbe::scale(button), before, 1e-9) << "no jump on release";
    clock.now = 0.04 + 1e-4;
    EXPECT_NEAR((AnimationProbe::scale(button) - before) / 1e-4, slope, 0.05) << "keeps its speed";
}

// The title alone is as wide as its text; a symbol adds 14 points and an
// 8-point gap.
TEST_F(SharedUiTest, ButtonWithoutIconShowsOnlyItsTitle) {
    const auto inkWidth = [](AnimatedButton& button) {
        button.resize(button.sizeHint());
        return inkBox(renderOn(button, Qt::black),
                      [](const QColor& c) {
                          return c.red() > 200 && c.green() > 200 && c.blue() > 200;
                      })
            .width();
    };
    const int advance =
        QFontMetrics(TextStyles::font(14, QFont::DemiBold)).horizontalAdvance("Continue");
    AnimatedButton plain("Continue");
    AnimatedButton withIcon("Continue", QStringLiteral("play.fill"));
    EXPECT_EQ(withIcon.sizeHint() - plain.sizeHint(), QSize(14 + 8, 0));
    EXPECT_NEAR(inkWidth(plain), advance, 3) << "nothing but the title";
    EXPECT_GT(inkWidth(withIcon), advance + 8 + 4) << "a symbol and the title";
}

TEST_F(SharedUiTest, HiddenButtonForgetsItsPressAndStopsAnimating) {
    AnimatedButton button("Go");
    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, button.rect().center());
    ASSERT_TRUE(AnimationProbe::isAnimating(button));
    button.hide();
    EXPECT_FALSE(AnimationProbe::isAnimating(button));
    EXPECT_FALSE(AnimationProbe::isPressed(button));
    EXPECT_DOUBLE_EQ(AnimationProbe::scale(button), 1.0);
}

TEST_F(SharedUiTest, BadgesDrawTheirStatusColourOnTheirCapsule) {
    const QColor background(0x20, 0x20, 0x20);
    for (const Status status :
         {Status::active, Status::inactive, Status::warning, Status::error, Status::processing}) {
        StatusBadge badge(status, "Status text");
        SCOPED_TRACE(StatusBadge::symbolOf(status).toStdString());
        EXPECT_EQ(badge.accessibleName(), "Status text");
        badge.resize(badge.sizeHint());
        const QImage image = renderOn(badge, background);
        const QColor color = KitStyle::named(StatusBadge::colorOf(status), badge.palette());
        EXPECT_GT(countNear(image, color, {}, 12), 0) << "symbol and text in the status colour";
        const QColor fill = image.pixelColor(badge.width() - 4, badge.height() / 2);
        EXPECT_LE(colorDistance(fill, blend(background, Palette::withOpacity(color, 0.15))), 2);
    }
    EXPECT_EQ(StatusBadge::colorOf(Status::warning), NamedColor::yellow);

    // Padding, symbol, spacing and text, then padding.
    const QFontMetrics metrics(TextStyles::font(11, QFont::Medium));
    EXPECT_EQ(StatusBadge(Status::error, "Failed").sizeHint(),
              QSize(10 + 10 + 6 + metrics.horizontalAdvance("Failed") + 10,
                    std::max(metrics.height(), 10) + 10));
}

TEST_F(SharedUiTest, ActiveAndProcessingBadgesPulseWhileShownWarningNever) {
    ManualClock clock;
    clock.now = 100;
    StatusBadge processing(Status::processing, "Syncing");
    StatusBadge active(Status::active, "On");
    StatusBadge warning(Status::warning, "Low space");
    for (StatusBadge* b : {&processing, &active, &warning}) {
        AnimationProbe::setClock(*b, clock.clock());
        b->show();
    }
    EXPECT_FALSE(AnimationProbe::isPulsing(warning));
    EXPECT_FALSE(AnimationProbe::isAnimating(warning));
    for (StatusBadge* b : {&processing, &active}) {
        EXPECT_TRUE(AnimationProbe::isPulsing(*b));
        EXPECT_TRUE(AnimationProbe::isAnimating(*b));
    }
    for (int i = 0; i <= 40; ++i) {
        const double t = i * 0.1;
        clock.now = 100 + t;
        EXPECT_NEAR(AnimationProbe::symbolScale(processing), Motion::pulse(t, 1.0, 1.1, 1.0), 1e-9);
        EXPECT_DOUBLE_EQ(AnimationProbe::symbolScale(warning), 1.0);
    }
    clock.now = 101;
    EXPECT_NEAR(AnimationProbe::symbolScale(active), 1.1, 1e-9);

    // Only the symbol changes between the small and the large moment.
    processing.resize(processing.sizeHint());
    clock.now = 100;
    const QImage small = renderOn(processing, Qt::black);
    clock.now = 101;
    const QImage large = renderOn(processing, Qt::black);
    int changedInSymbol = 0, changedElsewhere = 0;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            if (small.pixel(x, y) != large.pixel(x, y))
                ++(x < 10 + 10 + 2 ? changedInSymbol : changedElsewhere);
    EXPECT_GT(changedInSymbol, 5);
    EXPECT_EQ(changedElsewhere, 0);

    // Hidden, it stops; shown again, it starts from rest.
    processing.hide();
    EXPECT_FALSE(AnimationProbe::isAnimating(processing));
    EXPECT_DOUBLE_EQ(AnimationProbe::symbolScale(processing), 1.0);
    clock.now = 250.5;
    processing.show();
    EXPECT_TRUE(AnimationProbe::isAnimating(processing));
    EXPECT_NEAR(AnimationProbe::symbolScale(processing), 1.0, 1e-9);
}

TEST_F(SharedUiTest, ReducedMotionStopsPulsesAndSnapsPresses) {
    storeReduceMotion(true);
    StatusBadge badge(Status::processing, "Syncing");
    badge.show();
    EXPECT_FALSE(AnimationProbe::isPulsing(badge));
    EXPECT_FALSE(AnimationProbe::isAnimating(badge));

    int actions = 0;
    AnimatedButton button("Go", std::nullopt, [&] { ++actions; });
    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, button.rect().center());
    EXPECT_DOUBLE_EQ(AnimationProbe::scale(button), 0.95);
    EXPECT_FALSE(AnimationProbe::isAnimating(button));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, button.rect().center());
    EXPECT_DOUBLE_EQ(AnimationProbe::scale(button), 1.0);
    EXPECT_EQ(actions, 1);

    ManualClock clock;
    clock.now = 1234.5;
    MeshGradientBackground background;
    AnimationProbe::setClock(background, clock.clock());
    background.resize(120, 90);
    background.show();
    EXPECT_FALSE(AnimationProbe::isAnimating(background));
    EXPECT_EQ(background.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              MeshGradientBackground::frame(MeshGradientBackground::defaultColors(), 0.5, 0,
                                            QSize(120, 90)))
        << "stands still at time zero";

    storeReduceMotion(false);
    badge.hide();
    badge.show();
    EXPECT_TRUE(AnimationProbe::isPulsing(badge)) << "read again when shown";
}

TEST_F(SharedUiTest, CardWithoutBorderHasNoOutline) {
    const QColor background(0x30, 0x30, 0x30);
    // Contrast between each of the card's first device-pixel columns (rows)
    // and the fill further in: a 1-point line covers one such pixel at 1x and
    // two at 2x, crisply.
    const auto edgeContrasts = [&](bool showBorder, int dpr) {
        ModernCardView card(20, 20, 0.15, showBorder, 10);
        card.resize(240, 140);
        const QImage image = renderOn(card, background, dpr);
        const QRect r = card.cardRect();
        std::vector<int> contrasts;
        for (int d = 0; d < dpr; ++d) {
            const QPoint left(r.left() * dpr + d, r.center().y() * dpr);
            const QPoint top(r.center().x() * dpr, r.top() * dpr + d);
            contrasts.push_back(
                colorDistance(image.pixelColor(left), image.pixelColor(left + QPoint(6, 0))));
            contrasts.push_back(
                colorDistance(image.pixelColor(top), image.pixelColor(top + QPoint(0, 6))));
        }
        return contrasts;
    };
    for (const int dpr : {1, 2}) {
        SCOPED_TRACE(dpr);
        for (const int contrast : edgeContrasts(true, dpr))
            EXPECT_GT(contrast, 20) << "the outline shows";
        for (const int contrast : edgeContrasts(false, dpr))
            EXPECT_LE(contrast, 2);
    }
}

TEST_F(SharedUiTest, CardInsetsItsContentAndCastsItsShadowDownwards) {
    auto* content = new QWidget;
    content->setMinimumSize(100, 40);
    ModernCardView card(content);
    card.resize(card.sizeHint());
    const QColor background(0xd0, 0xd0, 0xd0);
    const QImage image = renderOn(card, background);
    const QRect r = card.cardRect();
    EXPECT_EQ(content->geometry(), r.marginsRemoved(QMargins(16, 16, 16, 16)));
    const QColor below = image.pixelColor(r.center().x(), r.bottom() + 4);
    const QColor above = image.pixelColor(r.center().x(), r.top() - 4);
    EXPECT_LT(below.lightness(), background.lightness() - 5);
    EXPECT_LT(below.lightness(), above.lightness());
}

// At time zero the blobs lie right, bottom, left and top, 30 % of the size
// from the centre, taking the two colours in turn; where only one blob
// reaches, its colour dominates the frame.
TEST(MeshGradient, BlobsTakeTheirColoursModuloTheList) {
    const QImage frame =
        MeshGradientBackground::frame({Qt::red, Qt::blue}, 0.5, 0, QSize(480, 680));
    const auto dominant = [&](double fx, double fy) {
        const QColor c = frame.pixelColor(int(480 * fx), int(680 * fy));
        return c.red() > 2 * c.blue() ? 0 : c.blue() > 2 * c.red() ? 1 : -1;
    };
    EXPECT_EQ(dominant(0.9, 0.42), 0) << "blob 0";
    EXPECT_EQ(dominant(0.5, 0.92), 1) << "blob 1";
    EXPECT_EQ(dominant(0.1, 0.55), 0) << "blob 2";
    EXPECT_EQ(dominant(0.5, 0.08), 1) << "blob 3";
    const auto blobs = MeshGradientBackground::blobs({Qt::red}, 0, QSizeF(480, 680));
    EXPECT_EQ(blobs[0].centre, QPointF(480 * 0.8, 680 * 0.5));
    EXPECT_EQ(blobs[3].centre, QPointF(480 * 0.5, 680 * 0.2));
    EXPECT_TRUE(MeshGradientBackground::blobs({}, 0, QSizeF(480, 680)).empty());
}

TEST(MeshGradient, EmptyListDrawsBlack) {
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage frame = MeshGradientBackground::frame({}, 0.5, 12345, QSize(64, 48), dpr);
        QImage black(QSize(64, 48) * dpr, frame.format());
        black.fill(Qt::black);
        EXPECT_EQ(frame, black);
    }
    EXPECT_TRUE(MeshGradientBackground::frame({Qt::red}, 0.5, 0, QSize(0, 10)).isNull());
}

TEST_F(SharedUiTest, TwoBackgroundsShowTheSamePictureAtTheSameMoment) {
    ManualClock clock;
    clock.now = 8.1e8;
    const QList<QColor> colors{Qt::red, Qt::green, Qt::blue};
    MeshGradientBackground first(colors, 0.7);
    MeshGradientBackground second(colors, 0.7);
    QImage shots[2];
    int i = 0;
    for (MeshGradientBackground* background : {&first, &second}) {
        AnimationProbe::setClock(*background, clock.clock());
        background->resize(200, 150);
        background->show();
        EXPECT_TRUE(AnimationProbe::isAnimating(*background));
        shots[i++] =
            background->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    EXPECT_EQ(shots[0], shots[1]);
    EXPECT_EQ(shots[0], MeshGradientBackground::frame(colors, 0.7, 8.1e8, QSize(200, 150)));

    clock.now += 1;
    EXPECT_NE(first.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), shots[0])
        << "the blobs drift";
    first.hide();
    EXPECT_FALSE(AnimationProbe::isAnimating(first)) << "no frames while hidden";
    EXPECT_TRUE(AnimationProbe::isAnimating(second));
}
