#include "HelpPopover.h"

#include "Platform/Divider.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"
#include "StatusRow.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int pagePadding = 16;

ToneLabel* paragraph(const QString& text, const QFont& font, Tone::Rule color) {
    auto* label = new ToneLabel(text, font, std::move(color));
    label->setWordWrap(true);
    return label;
}

ToneLabel* headline(const QString& text) {
    return paragraph(text, TextStyles::font(TextStyle::headline), Tone::windowText());
}

ToneLabel* secondaryBody(const QString& text) {
    return paragraph(text, TextStyles::font(TextStyle::body), Tone::secondaryText());
}

QVBoxLayout* column(int spacing) {
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QLayout* legend(const QPalette& palette) {
    struct Level {
        NamedColor color;
        const char16_t* label;
        const char16_t* desc;
    };
    static constexpr Level levels[] = {
        {NamedColor::green, u"Light", u"Under 1 GB \u2014 your desktop is clean and organized"},
        {NamedColor::yellow, u"Moderate",
         u"1\u20134 GB \u2014 starting to get cluttered, consider tidying"},
        {NamedColor::orange, u"Heavy",
         u"4\u20137 GB \u2014 significantly cluttered, cleanup recommended"},
        {NamedColor::red, u"Critical", u"Over 7 GB \u2014 very cluttered, impacts performance"},
    };
    QVBoxLayout* rows = column(8);
    for (const Level& level : levels)
        rows->addWidget(new StatusRow(Tone::resolve(level.color, palette),
                                      QString::fromUtf16(level.label),
                                      QString::fromUtf16(level.desc)));
    return rows;
}

QLayout* steps() {
    QVBoxLayout* lines = column(6);
    for (const char* step : {"1. Scans your Desktop folder every 20 seconds",
                             "2. Calculates total size of all files and folders",
                             "3. Categorizes items by type (Images, Videos, etc.)",
                             "4. Displays a visual gauge from 0 to 10 GB",
                             "5. Lets you clean or archive with one click"})
        lines->addWidget(secondaryBody(QString::fromLatin1(step)));
    return lines;
}

QWidget* content(const QPalette& palette) {
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(pagePadding, pagePadding, pagePadding, pagePadding);
    QVBoxLayout* layout = column(16);
    outer->addLayout(layout);
    // Content shorter than the page stays at its top.
    outer->addStretch(1);
    layout->addWidget(paragraph(QStringLiteral("About Pilewatch"),
                                TextStyles::font(TextStyle::title3, true), Tone::windowText()));
    layout->addWidget(paragraph(
        QStringLiteral("Pilewatch monitors your Desktop folder and visualizes how much storage "
                       "it's consuming. A cluttered desktop slows down your Mac and creates "
                       "mental overhead."),
        TextStyles::font(TextStyle::body), Tone::windowText()));
    layout->addWidget(new Divider);
    layout->addWidget(headline(QStringLiteral("Understanding the Gauge")));
    layout->addLayout(legend(palette));
    layout->addWidget(new Divider);
    layout->addWidget(headline(QStringLiteral("How It Works")));
    layout->addLayout(steps());
    layout->addWidget(new Divider);
    layout->addWidget(headline(QStringLiteral("Safe Cleanup")));
    layout->addWidget(secondaryBody(QString::fromUtf16(
        u"The 'Clean Old Files' feature moves items to Trash \u2014 you can restore them from "
        u"Trash if needed. The 'Archive' feature moves everything into a dated folder on your "
        u"desktop, so nothing is lost.")));
    return page;
}

} // namespace

HelpPopover::HelpPopover(QWidget* parent) : QWidget(parent) {
    setFixedSize(pageSize);
    setAccessibleName(QStringLiteral("About Pilewatch"));
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content(palette()));
    scroll->viewport()->setAutoFillBackground(false);
    scroll->widget()->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}
