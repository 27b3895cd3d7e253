#include "ControlPage.h"

#include "CardSection.h"
#include "KitStyle.h"
#include "MenuSections.h"
#include "Platform/TextStyles.h"
#include "menu/KitLabel.h"

#include <QBoxLayout>
#include <QWidget>

namespace {

constexpr int sectionSpacing = 24;
constexpr int headingGap = 10;

// A new section is one more line here.
const GallerySection sections[] = {
    {QStringLiteral("Menu bar icons"), menuBarIconsSection},
    {QStringLiteral("Settings rows"), settingsRowsSection},
    {QStringLiteral("Sliders"), slidersSection},
    {QStringLiteral("Action rows"), actionRowsSection},
    {QStringLiteral("Statistics"), statisticsSection},
    {QStringLiteral("Shortcut badges"), shortcutBadgesSection},
    {QStringLiteral("Panel"), panelSection},
    {QStringLiteral("Status badges"), statusBadgesSection},
    {QStringLiteral("Cards"), cardsSection},
    {QStringLiteral("Buttons"), buttonsSection},
};

QWidget* makeSection(const GallerySection& section) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(headingGap);
    auto* heading =
        new KitLabel(section.title, TextStyles::font(TextStyle::headline), KitStyle::secondary);
    column->addWidget(heading);
    column->addWidget(section.build());
    return box;
}

} // namespace

QWidget* makeControlPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    const int padding = KitStyle::standardPadding;
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(sectionSpacing);
    for (const GallerySection& section : sections)
        column->addWidget(makeSection(section));
    column->addStretch();
    return page;
}
