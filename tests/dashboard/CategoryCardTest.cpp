#include "dashboard/CategoryCard.h"

#include "DashboardTestSupport.h"
#include "dashboard/ColorDot.h"
#include "dashboard/ToneLabel.h"
#include "shell/ByteFormat.h"

#include <gtest/gtest.h>

namespace {

struct Card {
    Card() {
        widget.setPalette(Palette::darkPanelPalette());
        widget.setFixedWidth(380);
    }
    void set(const QList<LoadEngine::Category>& categories, qint64 total) {
        widget.setCategories(categories, total);
        widget.adjustSize();
        image = renderOnPanel(widget);
    }
    QStringList texts() const {
        QStringList out;
        for (const ToneLabel* label : widget.findChildren<ToneLabel*>())
            out << label->text();
        return out;
    }
    QList<QWidget*> bars() const {
        QList<QWidget*> out;
        for (QWidget* child : widget.findChildren<QWidget*>())
            if (child->accessibleName().contains(" share: "))
                out << child;
        return out;
    }
    // The colour of a bar at a fraction of its width, on its centre line.
    QColor barAt(int bar, double fraction) const {
        const QWidget* b = bars().at(bar);
        const QPoint origin = b->mapTo(&widget, QPoint(0, b->height() / 2));
        return image.pixelColor(origin + QPoint(int(b->width() * fraction), 0));
    }
    CategoryCard widget;
    QImage image;
};

const QList<LoadEngine::Category> seven{category("Videos", 9'000'000, NamedColor::purple),
                                        category("Images", 8'000'000, NamedColor::pink),
                                        category("Documents", 7'000'000, NamedColor::blue),
                                        category("Archives", 6'000'000, NamedColor::orange),
                                        category("Audio", 5'000'000, NamedColor::cyan),
                                        category("Apps", 2'500'000, NamedColor::green),
                                        category("Other", 1'200'000, NamedColor::gray)};

// The bars' track lies on the card's own faint fill.
QColor trackColour() {
    return blend(blend(panelBackground(), Palette::white(0.02)), Palette::white(0.05));
}

TEST(CategoryCard, ShowsOnlyTheFirstFiveCategoriesWithoutARemainder) {
    Card card;
    card.set(seven, 38'700'000);
    const QStringList texts = card.texts();
    for (const char* shown : {"Videos", "Images", "Documents", "Archives", "Audio"})
        EXPECT_TRUE(texts.contains(shown)) << shown;
    EXPECT_FALSE(texts.contains("Apps"));
    EXPECT_FALSE(texts.contains("Other"));
    EXPECT_TRUE(texts.contains(formatBytes(5'000'000)));
    EXPECT_FALSE(texts.contains(formatBytes(2'500'000)));
    EXPECT_FALSE(texts.contains(formatBytes(2'500'000 + 1'200'000)));
    EXPECT_EQ(card.widget.findChildren<ColorDot*>().size(), 5);
    EXPECT_EQ(card.bars().size(), 5);
    EXPECT_TRUE(texts.contains("BREAKDOWN"));
    saveScreenshot(renderOnPanel(card.widget, 2), "category-card@2x.png");

    // A new list replaces the rows; it does not add to them.
    card.set({category("Images", 10, NamedColor::pink)}, 10);
    EXPECT_EQ(card.bars().size(), 1);
    EXPECT_FALSE(card.texts().contains("Videos"));
}

TEST(CategoryCard, BarsAreProportionalToTheTotal) {
    Card card;
    card.set({category("Videos", 750, NamedColor::purple),
              category("Images", 250, NamedColor::pink), category("Apps", 1000, NamedColor::green)},
             1000);
    const QColor track = trackColour();
    EXPECT_LE(colorDistance(card.barAt(0, 0.7), darkNamed(NamedColor::purple)), 2);
    EXPECT_LE(colorDistance(card.barAt(0, 0.8), track), 2);
    EXPECT_LE(colorDistance(card.barAt(1, 0.2), darkNamed(NamedColor::pink)), 2);
    EXPECT_LE(colorDistance(card.barAt(1, 0.3), track), 2);
    // A category holding all the bytes fills its bar completely.
    EXPECT_LE(colorDistance(card.barAt(2, 0.995), darkNamed(NamedColor::green)), 2);
    EXPECT_EQ(card.bars().at(0)->accessibleName(), "Videos share: 75%");
}

TEST(CategoryCard, EmptyTotalLeavesEveryBarEmptyAndKeepsTheSizes) {
    for (const qint64 total : {qint64(0), qint64(-5)}) {
        Card card;
        card.set({category("Videos", 750, NamedColor::purple),
                  category("Images", 250, NamedColor::pink)},
                 total);
        const QColor track = trackColour();
        for (int bar = 0; bar < 2; ++bar)
            for (double f : {0.0, 0.1, 0.5, 0.99})
                EXPECT_LE(colorDistance(card.barAt(bar, f), track), 2) << bar << " at " << f;
        EXPECT_TRUE(card.texts().contains(formatBytes(750)));
    }
}

TEST(CategoryCard, FrameAndTitleFollowTheCardStyle) {
    Card card;
    card.set(seven.first(2), 17'000'000);
    const int mid = card.image.height() / 2;
    EXPECT_LE(colorDistance(card.image.pixelColor(10, mid), panelBackground()), 1)
        << "14 points outside the card stay clear";
    EXPECT_LE(colorDistance(card.image.pixelColor(18, mid),
                            blend(panelBackground(), Palette::white(0.02))),
              1);
    const ToneLabel* title = card.widget.title();
    EXPECT_EQ(title->font().pixelSize(), 8);
    EXPECT_EQ(title->font().weight(), QFont::Black);
    EXPECT_DOUBLE_EQ(title->font().letterSpacing(), 1.5);
    EXPECT_EQ(title->color(), Palette::white(0.25));
    EXPECT_EQ(title->geometry().topLeft(), QPoint(14 + 12, 12));
}

} // namespace
