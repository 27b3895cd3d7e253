#include "HelpPopover.h"

#include "Platform/Divider.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"
#include "StatusRow.h"
#include "dashboard/EngineTexts.h"

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
        LoadEngine::LoadStatus status;
        const char* desc;
    };
    static constexpr Level levels[] = {
        {NamedColor::green, LoadEngine::LoadStatus::light,
         QT_TRANSLATE_NOOP("HelpPopover", "Under 1 GB — your desktop is clean and organized")},
        {NamedColor::yellow, LoadEngine::LoadStatus::moderate,
         QT_TRANSLATE_NOOP("HelpPopover", "1–4 GB — starting to get cluttered, consider tidying")},
        {NamedColor::orange, LoadEngine::LoadStatus::heavy,
         QT_TRANSLATE_NOOP("HelpPopover", "4–7 GB — significantly cluttered, cleanup recommended")},
        {NamedColor::red, LoadEngine::LoadStatus::critical,
         QT_TRANSLATE_NOOP("HelpPopover", "Over 7 GB — very cluttered, impacts performance")},
    };
    QVBoxLayout* rows = column(8);
    for (const Level& level : levels)
        rows->addWidget(new StatusRow(Tone::resolve(level.color, palette),
                                      EngineTexts::statusName(level.status),
                                      HelpPopover::tr(level.desc)));
    return rows;
}

QLayout* steps() {
    QVBoxLayout* lines = column(6);
    static constexpr const char* texts[] = {
        QT_TRANSLATE_NOOP("HelpPopover", "1. Scans your Desktop folder every 20 seconds"),
        QT_TRANSLATE_NOOP("HelpPopover", "2. Calculates total size of all files and folders"),
        QT_TRANSLATE_NOOP("HelpPopover", "3. Categorizes items by type (Images, Videos, etc.)"),
        QT_TRANSLATE_NOOP("HelpPopover", "4. Displays a visual gauge from 0 to 10 GB"),
        QT_TRANSLATE_NOOP("HelpPopover", "5. Lets you clean or archive with one click"),
    };
    for (const char* step : texts)
        lines->addWidget(secondaryBody(HelpPopover::tr(step)));
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
    layout->addWidget(paragraph(HelpPopover::tr("About Pilewatch"),
                                TextStyles::font(TextStyle::title3, true), Tone::windowText()));
    layout->addWidget(paragraph(
        HelpPopover::tr("Pilewatch monitors your Desktop folder and visualizes how much storage "
                        "it's consuming. A cluttered desktop slows down your computer and creates "
                        "mental overhead."),
        TextStyles::font(TextStyle::body), Tone::windowText()));
    layout->addWidget(new Divider);
    layout->addWidget(headline(HelpPopover::tr("Understanding the Gauge")));
    layout->addLayout(legend(palette));
    layout->addWidget(new Divider);
    layout->addWidget(headline(HelpPopover::tr("How It Works")));
    layout->addLayout(steps());
    layout->addWidget(new Divider);
    layout->addWidget(headline(HelpPopover::tr("Safe Cleanup")));
    layout->addWidget(secondaryBody(
        HelpPopover::tr("The 'Clean Old Files' feature moves items to Trash — you can restore "
                        "them from Trash if needed. The 'Archive' feature moves everything into a "
                        "dated folder on your desktop, so nothing is lost.")));
    return page;
}

} // namespace

HelpPopover::HelpPopover(QWidget* parent) : QWidget(parent) {
    setFixedSize(pageSize);
    setAccessibleName(tr("About Pilewatch"));
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
