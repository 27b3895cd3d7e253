#include "shell/Symbols.h"

#include <QFontMetricsF>
#include <QImage>
#include <QRawFont>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QStringList usedNames{"gauge.with.dots.needle.67percent",
                            "doc.on.doc",
                            "trash",
                            "folder.badge.plus",
                            "arrow.clockwise",
                            "info.circle.fill",
                            "leaf",
                            "doc.text",
                            "exclamationmark.triangle.fill",
                            "folder.fill",
                            "doc.fill",
                            "checkmark.circle.fill",
                            "lightbulb",
                            "1.circle.fill",
                            "2.circle.fill",
                            "3.circle.fill",
                            "4.circle.fill"};

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

TEST(Symbols, EveryUsedNameHasAGlyphInTheEmbeddedFont) {
    const QRawFont raw = QRawFont::fromFont(Symbols::font(24));
    ASSERT_TRUE(raw.isValid());
    ASSERT_EQ(raw.familyName(), "Material Icons");
    QSet<QString> glyphs;
    for (const QString& name : usedNames) {
        const QString g = Symbols::glyph(name);
        ASSERT_EQ(g.size(), 1) << name.toStdString();
        EXPECT_TRUE(raw.supportsCharacter(g.at(0))) << name.toStdString();
        glyphs.insert(g);
    }
    EXPECT_EQ(glyphs.size(), usedNames.size()) << "two names share a glyph";
}

TEST(Symbols, KnownNamesDrawAndUnknownNamesDrawNothing) {
    const QImage drawn = Symbols::pixmap("trash", Qt::white, 24, 2.0).toImage();
    EXPECT_EQ(drawn.size(), QSize(48, 48));
    EXPECT_GT(inkedPixels(drawn), 50);

    EXPECT_TRUE(Symbols::glyph("no.such.symbol").isEmpty());
    EXPECT_EQ(inkedPixels(Symbols::pixmap("no.such.symbol", Qt::white, 24, 1.0).toImage()), 0);
}

} // namespace
