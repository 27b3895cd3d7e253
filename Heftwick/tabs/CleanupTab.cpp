#include "CleanupTab.h"

#include "PageParts.h"
#include "Platform/TextStyles.h"
#include "Platform/Tone.h"
#include "TintedCard.h"
#include "TipRow.h"
#include "dashboard/RemedyNoteLine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int alertMinimumWidth = 360;

// A tinted card with its column of elements, 12 points apart.
QVBoxLayout* cardColumn(TintedCard* card) {
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);
    return column;
}

QString daysText(int days) {
    return CleanupTab::tr("%n days", nullptr, days);
}

} // namespace

CleanupTab::CleanupTab(LoadEngine& engine, QWidget* parent) : QWidget(parent), m_engine(engine) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(PageParts::pageInset, PageParts::pageInset, PageParts::pageInset,
                               PageParts::pageInset);
    column->setSpacing(24);
    column->addWidget(PageParts::pageHeader(
        tr("Cleanup Tools"), tr("Safely remove or organize desktop clutter. Actions cannot be "
                                "undone, so review your files first in the Files tab.")));
    // What the last remedy did, where no notification server tells it.
    m_note = new RemedyNoteLine(m_engine);
    m_note->setContentsMargins(4, 0, 4, 0);
    column->addWidget(m_note);
    column->addWidget(buildCleanupCard());
    column->addWidget(buildArchiveCard());
    column->addWidget(buildTipsCard());
    column->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(PageParts::scrollPage(content));
}

QWidget* CleanupTab::buildCleanupCard() {
    auto* card = new TintedCard(NamedColor::red);
    QVBoxLayout* column = cardColumn(card);
    column->addWidget(PageParts::symbolTitle(QStringLiteral("trash"), tr("Delete Old Files")));
    column->addWidget(PageParts::secondaryLabel(
        tr("This moves files older than the selected number of days to your Trash. You can still "
           "recover them from Trash if needed."),
        TextStyles::font(TextStyle::subheadline)));

    auto* thresholdRow = new QHBoxLayout;
    // The caption takes the free width, so it wraps only when the row is too narrow.
    thresholdRow->addWidget(
        PageParts::wrappingLabel(tr("Delete files older than:"), TextStyles::font(TextStyle::body)),
        1);
    m_threshold = PageParts::secondaryLabel(
        QString(), TextStyles::font(TextStyle::body, false, FontDesign::monospaced));
    m_threshold->setWordWrap(false);
    thresholdRow->addWidget(m_threshold);
    column->addLayout(thresholdRow);

    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setRange(minimumDays, maximumDays);
    m_slider->setSingleStep(1);
    m_slider->setValue(initialDays);
    m_slider->setFocusPolicy(Qt::StrongFocus);
    m_slider->setAccessibleName(tr("Age threshold"));
    connect(m_slider, &QSlider::valueChanged, this, &CleanupTab::showThreshold);
    auto* sliderRow = new QHBoxLayout;
    // The slider's caption leads the row; as its buddy it also names it for screen readers.
    auto* caption = new QLabel(tr("Age threshold"));
    caption->setFont(TextStyles::font(TextStyle::body));
    caption->setBuddy(m_slider);
    sliderRow->addWidget(caption);
    const QFont endFont = TextStyles::font(TextStyle::caption);
    sliderRow->addWidget(PageParts::secondaryLabel(tr("7d"), endFont));
    sliderRow->addWidget(m_slider, 1);
    sliderRow->addWidget(PageParts::secondaryLabel(tr("90d"), endFont));
    column->addLayout(sliderRow);
    showThreshold(m_slider->value());

    QPushButton* trash = PageParts::prominentButton(tr("Move Old Files to Trash"),
                                                    Tone::resolve(NamedColor::red, palette()));
    connect(trash, &QPushButton::clicked, this, &CleanupTab::confirmCleanup);
    column->addWidget(trash, 0, Qt::AlignLeft);
    return card;
}

QWidget* CleanupTab::buildArchiveCard() {
    auto* card = new TintedCard(NamedColor::blue);
    QVBoxLayout* column = cardColumn(card);
    column->addWidget(
        PageParts::symbolTitle(QStringLiteral("folder.badge.plus"), tr("Archive Everything")));
    column->addWidget(PageParts::secondaryLabel(
        tr("Moves ALL desktop items into a new folder named 'DesktopArchive_YYYY-MM-DD' on your "
           "desktop. This instantly clears your desktop while keeping everything accessible."),
        TextStyles::font(TextStyle::subheadline)));
    QPushButton* archive = PageParts::prominentButton(tr("Archive All Desktop Items"),
                                                      Tone::resolve(NamedColor::blue, palette()));
    connect(archive, &QPushButton::clicked, this,
            [this] { m_note->run([this] { m_engine.archiveToFolder(); }); });
    column->addWidget(archive, 0, Qt::AlignLeft);
    return card;
}

QWidget* CleanupTab::buildTipsCard() {
    auto* card = new TintedCard(NamedColor::yellow);
    QVBoxLayout* column = cardColumn(card);
    column->addWidget(
        PageParts::symbolTitle(QStringLiteral("lightbulb"), tr("Manual Cleanup Tips")));
    auto* tips = new QVBoxLayout;
    tips->setSpacing(8);
    tips->addWidget(new TipRow(QStringLiteral("1.circle.fill"),
                               tr("Screenshots: Check for old screenshots (usually named "
                                  "'Screenshot')")));
    tips->addWidget(new TipRow(QStringLiteral("2.circle.fill"),
                               tr("Downloads: Files ending in .zip, .deb, .AppImage or .tar.gz "
                                  "are often leftover installers")));
    tips->addWidget(new TipRow(QStringLiteral("3.circle.fill"),
                               tr("Duplicates: Look for files with 'copy' in the name")));
    tips->addWidget(
        new TipRow(QStringLiteral("4.circle.fill"),
                   tr("Folders: Empty folders still add to your mental load — remove them")));
    column->addLayout(tips);
    return card;
}

void CleanupTab::showThreshold(int days) {
    m_threshold->setText(daysText(days));
    m_slider->setAccessibleDescription(daysText(days));
}

void CleanupTab::confirmCleanup() {
    if (m_confirmation)
        return;
    const QString title = tr("Confirm Cleanup");
    // The title in bold over the plain message, as an alert sets it apart.
    auto* box = new QMessageBox(QMessageBox::Warning, title, "<b>" + title + "</b>",
                                QMessageBox::NoButton, this);
    box->setInformativeText(tr("This will move files older than %n days to Trash. Continue?",
                               nullptr, m_slider->value()));
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton* move = box->addButton(tr("Move to Trash"), QMessageBox::DestructiveRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Without a floor the box is only as wide as its short title, and the
    // message wraps into a narrow column.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(alertMinimumWidth, 0, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
    connect(box, &QMessageBox::buttonClicked, this, [this, move](QAbstractButton* clicked) {
        if (clicked == move)
            m_note->run([this] { m_engine.cleanOldFiles(m_slider->value()); });
    });
    m_confirmation = box;
    box->open();
}
