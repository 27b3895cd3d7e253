#include "SettingsRow.h"

#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"
#include "ToggleSwitch.h"

#include <QBoxLayout>

namespace {
constexpr int spacing = 12;
constexpr int verticalPadding = 4;
constexpr int textSpacing = 2;
constexpr int tileSide = 24;
constexpr qreal iconPoints = 14;
constexpr qreal titlePoints = 13;
constexpr qreal subtitlePoints = 11;
} // namespace

SettingsRow::SettingsRow(const QString& icon, const QString& title, std::optional<QString> subtitle,
                         bool isOn, QWidget* parent)
    : QWidget(parent), m_switch(new ToggleSwitch(title)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, verticalPadding, 0, verticalPadding);
    row->setSpacing(spacing);
    row->addWidget(new SymbolView(icon, iconPoints, QFont::Normal, KitStyle::accent,
                                  QSize(tileSide, tileSide), SymbolView::Backdrop::tile));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(textSpacing);
    texts->addWidget(new KitLabel(title, TextStyles::font(titlePoints), KitStyle::primary));
    if (subtitle)
        texts->addWidget(
            new KitLabel(*subtitle, TextStyles::font(subtitlePoints), KitStyle::secondary));
    row->addLayout(texts);
    row->addStretch();
    row->addWidget(m_switch);
    m_switch->setChecked(isOn);
    connect(m_switch, &QAbstractButton::toggled, this, &SettingsRow::isOnChanged);
}

bool SettingsRow::isOn() const {
    return m_switch->isChecked();
}

void SettingsRow::setOn(bool on) {
    m_switch->setChecked(on);
}
