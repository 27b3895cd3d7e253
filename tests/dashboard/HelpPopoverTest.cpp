#include "dashboard/HelpPopover.h"

#include "DashboardTestSupport.h"
#include "dashboard/ColorDot.h"
#include "dashboard/StatusRow.h"
#include "dashboard/ToneLabel.h"
#include "shell/TextStyles.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

const QString emDash(QChar(0x2014));
const QString enDash(QChar(0x2013));

QStringList labelTexts(const QWidget& widget) {
    QStringList out;
    for (const ToneLabel* label : widget.findChildren<ToneLabel*>())
        out << label->text();
    return out;
}

ToneLabel* labelWithText(const QWidget& parent, const QString& text) {
    for (ToneLabel* label : parent.findChildren<ToneLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

struct Page {
    Page() {
        widget.show();
        QCoreApplication::processEvents();
    }
    QImage render(qreal dpr = 1.0) {
        return renderOn(widget, widget.palette().color(QPalette::Window), dpr);
    }
    HelpPopover widget;
};

TEST(HelpPopover, ShowsEveryTextInOrder) {
    Page page;
    const QStringList expected{
        "About Pilewatch",
        "Pilewatch monitors your Desktop folder and visualizes how much storage it's consuming. "
        "A cluttered desktop slows down your Mac and creates mental overhead.",
        "Understanding the Gauge",
        "Light",
        "Under 1 GB " + emDash + " your desktop is clean and organized",
        "Moderate",
        "1" + enDash + "4 GB " + emDash + " starting to get cluttered, consider tidying",
        "Heavy",
        "4" + enDash + "7 GB " + emDash + " significantly cluttered, cleanup recommended",
        "Critical",
        "Over 7 GB " + emDash + " very cluttered, impacts performance",
        "How It Works",
        "1. Scans your Desktop folder every 20 seconds",
        "2. Calculates total size of all files and folders",
        "3. Categorizes items by type (Images, Videos, etc.)",
        "4. Displays a visual gauge from 0 to 10 GB",
        "5. Lets you clean or archive with one click",
        "Safe Cleanup",
        "The 'Clean Old Files' feature moves items to Trash " + emDash +
            " you can restore them from Trash if needed. The 'Archive' feature moves everything "
            "into a dated folder on your desktop, so nothing is lost."};
    EXPECT_EQ(labelTexts(page.widget), expected);
}

TEST(HelpPopover, KeepsItsSizeWrapsItsTextsAndScrolls) {
    Page page;
    EXPECT_EQ(page.widget.size(), QSize(360, 480));
    auto* scroll = page.widget.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_GT(scroll->widget()->height(), 480);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);

    const int viewport = scroll->viewport()->width();
    for (const ToneLabel* label : page.widget.findChildren<ToneLabel*>()) {
        EXPECT_LE(label->mapTo(scroll->widget(), label->rect().topRight()).x(), viewport - 16)
            << label->text().toStdString();
        EXPECT_EQ(label->shownText(), label->text());
    }
    const ToneLabel* about = labelWithText(page.widget, "About Pilewatch");
    const ToneLabel* intro = page.widget.findChildren<ToneLabel*>().at(1);
    EXPECT_GT(intro->height(), 2 * intro->fontMetrics().height()) << "the intro wraps";
    EXPECT_EQ(about->mapTo(scroll->widget(), QPoint()), QPoint(16, 16));

    saveScreenshot(page.render(), "help.png");
    saveScreenshot(page.render(2), "help@2x.png");
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    saveScreenshot(page.render(2), "help-scrolled@2x.png");
}

TEST(HelpPopover, UsesTheTextStylesAndColours) {
    Page page;
    const QPalette& palette = page.widget.palette();
    const QColor secondary = Palette::secondaryLabel(Palette::appearanceOf(palette));
    const ToneLabel* about = labelWithText(page.widget, "About Pilewatch");
    EXPECT_EQ(about->font().pixelSize(), qRound(TextStyles::pointSize(TextStyle::title3)));
    EXPECT_EQ(about->font().weight(), QFont::Bold);
    for (const char* heading : {"Understanding the Gauge", "How It Works", "Safe Cleanup"}) {
        const ToneLabel* label = labelWithText(page.widget, heading);
        EXPECT_EQ(label->font(), TextStyles::font(TextStyle::headline)) << heading;
        EXPECT_EQ(label->color(), palette.color(QPalette::WindowText)) << heading;
    }
    EXPECT_EQ(labelWithText(page.widget, "5. Lets you clean or archive with one click")->color(),
              secondary);
    EXPECT_EQ(page.widget.findChildren<ToneLabel*>().at(1)->color(),
              palette.color(QPalette::WindowText));
    EXPECT_EQ(page.widget.findChildren<ToneLabel*>().last()->color(), secondary);
}

TEST(HelpPopover, LegendRowsCarryTheFourLevelColours) {
    Page page;
    const QList<StatusRow*> rows = page.widget.findChildren<StatusRow*>();
    ASSERT_EQ(rows.size(), 4);
    const QList<NamedColor> colours{NamedColor::green, NamedColor::yellow, NamedColor::orange,
                                    NamedColor::red};
    const auto appearance = Palette::appearanceOf(page.widget.palette());
    for (int i = 0; i < 4; ++i) {
        const ColorDot* dot = rows[i]->findChild<ColorDot*>();
        ASSERT_NE(dot, nullptr);
        EXPECT_EQ(dot->size(), QSize(10, 10));
        EXPECT_EQ(dot->color(), Palette::named(colours[i], appearance));
    }
}

TEST(StatusRow, DotBesideNameAndWrappedDescription) {
    StatusRow row(Qt::magenta, "Label",
                  "A description long enough to wrap onto a second line "
                  "when the row is narrow");
    row.setFixedWidth(160);
    row.adjustSize();
    row.show();
    QCoreApplication::processEvents();
    const ToneLabel* label = labelWithText(row, "Label");
    const QList<ToneLabel*> labels = row.findChildren<ToneLabel*>();
    ASSERT_EQ(labels.size(), 2);
    const ToneLabel* desc = labels[1];
    EXPECT_EQ(label->font().pixelSize(), 12);
    EXPECT_EQ(label->font().weight(), QFont::Bold);
    EXPECT_EQ(desc->font().pixelSize(), 11);
    EXPECT_GT(desc->height(), desc->fontMetrics().height()) << "wraps instead of truncating";
    EXPECT_EQ(desc->y(), label->geometry().bottom() + 1 + 1);
    const ColorDot* dot = row.findChild<ColorDot*>();
    EXPECT_EQ(dot->color(), QColor(Qt::magenta));
    EXPECT_EQ(label->x(), dot->geometry().right() + 1 + 10);
    EXPECT_NEAR(dot->geometry().center().y(), row.height() / 2, 1);
}

} // namespace
