#include "dashboard/TopFilesCard.h"

#include "DashboardTestSupport.h"
#include "dashboard/ToneLabel.h"
#include "shell/ByteFormat.h"
#include "shell/Symbols.h"

#include <gtest/gtest.h>

namespace {

ToneLabel* labelWithText(const QWidget& parent, const QString& text) {
    for (ToneLabel* label : parent.findChildren<ToneLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

struct Card {
    explicit Card(const QList<LoadEngine::FileItem>& items) {
        widget.setPalette(Palette::darkPanelPalette());
        widget.setFixedWidth(380);
        widget.setItems(items);
        widget.adjustSize();
        image = renderOnPanel(widget);
    }
    TopFilesCard widget;
    QImage image;
};

TEST(TopFilesCard, OneRowPerItemWithKindGlyphAndSize) {
    QList<LoadEngine::FileItem> items;
    for (int i = 0; i < 8; ++i)
        items << fileItem(QString("item %1").arg(i), 1'000'000 * (8 - i), i % 2 == 0);
    Card card(items);
    int folders = 0;
    int files = 0;
    for (const ToneLabel* label : card.widget.findChildren<ToneLabel*>()) {
        if (label->accessibleName() == "Folder") {
            EXPECT_EQ(label->text(), Symbols::glyph("folder.fill"));
            ++folders;
        } else if (label->accessibleName() == "File") {
            EXPECT_EQ(label->text(), Symbols::glyph("doc.fill"));
            ++files;
        }
    }
    EXPECT_EQ(folders, 4);
    EXPECT_EQ(files, 4);
    for (const auto& item : items) {
        EXPECT_NE(labelWithText(card.widget, item.name), nullptr);
        EXPECT_NE(labelWithText(card.widget, formatBytes(item.size)), nullptr);
    }
    EXPECT_NE(labelWithText(card.widget, "HEAVIEST ITEMS"), nullptr);
    saveScreenshot(renderOnPanel(card.widget, 2), "top-files-card@2x.png");
}

TEST(TopFilesCard, LongNameIsShortenedOnOneLineAndTheSizeKeepsItsPlace) {
    const QString longName = "An extraordinarily long file name that could never fit into the "
                             "panel beside its size column.mov";
    Card card({fileItem(longName, 2'340'000'000), fileItem("short.txt", 1500)});
    const ToneLabel* name = labelWithText(card.widget, longName);
    ASSERT_NE(name, nullptr);
    EXPECT_NE(name->shownText(), longName);
    EXPECT_TRUE(name->shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(name->height(), name->fontMetrics().height() + 1);
    EXPECT_EQ(name->accessibleName().isEmpty() ? name->text() : name->accessibleName(), longName);

    // Both size columns end at the card's inner right edge.
    const int innerRight = card.widget.width() - 14 - 12;
    for (const QString& size : {formatBytes(2'340'000'000), formatBytes(1500)}) {
        const ToneLabel* label = labelWithText(card.widget, size);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->mapTo(&card.widget, label->rect().topRight()).x() + 1, innerRight);
        EXPECT_EQ(label->shownText(), size);
    }
    saveScreenshot(renderOnPanel(card.widget, 2), "top-files-card-long-name@2x.png");
}

TEST(TopFilesCard, NamesWithLineBreaksAndTabsStayOnOneLine) {
    // Linux file names may hold any byte but the slash and NUL.
    const QString broken = "first line\nsecond line";
    const QString tabbed = "tab\there";
    Card card({fileItem(broken, 5000), fileItem(tabbed, 7000), fileItem("plain", 1000)});
    const ToneLabel* plain = labelWithText(card.widget, "plain");
    for (const QString& text : {broken, tabbed}) {
        const ToneLabel* name = labelWithText(card.widget, text);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->height(), plain->height()) << "one line for " << text.toStdString();
        EXPECT_EQ(name->accessibleName().isEmpty() ? name->text() : name->accessibleName(), text);
    }
    // Short enough to fit: shown whole, the control characters as spaces.
    EXPECT_EQ(labelWithText(card.widget, broken)->shownText(), "first line second line");
    EXPECT_EQ(labelWithText(card.widget, tabbed)->shownText(), "tab here");
    saveScreenshot(renderOnPanel(card.widget, 2), "top-files-card-control-chars@2x.png");
}

} // namespace
