#include "SharedAppSettingsFormView.h"

#include "KitStyle.h"
#include "Platform/Divider.h"
#include "Platform/TextStyles.h"
#include "SegmentedPicker.h"
#include "menu/KitLabel.h"
#include "menu/ToggleSwitch.h"

#include <QBoxLayout>
#include <array>

namespace {

constexpr int spacing = 16;

// The picker's choices in their order on screen.
constexpr std::array themes{AppPreferences::Theme::system, AppPreferences::Theme::light,
                            AppPreferences::Theme::dark};

int themeIndex(AppPreferences::Theme theme) {
    return int(std::find(themes.begin(), themes.end(), theme) - themes.begin());
}

KitLabel* heading(const QString& text) {
    return new KitLabel(text, TextStyles::font(TextStyle::headline), KitStyle::primary);
}

// A control with its title at the leading edge, as one line of the form.
QHBoxLayout* titled(const QString& title, QWidget* control) {
    auto* line = new QHBoxLayout;
    line->addWidget(new KitLabel(title, TextStyles::font(TextStyle::body), KitStyle::primary));
    line->addStretch();
    line->addWidget(control);
    return line;
}

} // namespace

SharedAppSettingsFormView::SharedAppSettingsFormView(QWidget* parent)
    : QWidget(parent), m_prefs(AppPreferences::load()) {
    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(spacing);
    form->addWidget(heading(tr("General")));
    addSwitch(form, tr("Launch at login"), &AppPreferences::launchAtLogin);
    addSwitch(form, tr("Show menu bar icon"), &AppPreferences::showMenuBarIcon);
    form->addWidget(new Divider);
    form->addWidget(heading(tr("Appearance")));
    addThemePicker(form);
    addSwitch(form, tr("Reduce motion"), &AppPreferences::reduceMotion);
    addSwitch(form, tr("Reduce transparency"), &AppPreferences::reduceTransparency);
}

const AppPreferences& SharedAppSettingsFormView::preferences() const {
    return m_prefs;
}

template <class Field>
void SharedAppSettingsFormView::write(Field AppPreferences::*field, Field value) {
    AppPreferences changed = m_prefs;
    changed.*field = value;
    m_prefs = changed;
    m_prefs.save();
    emit preferencesChanged(m_prefs);
}

void SharedAppSettingsFormView::addSwitch(QVBoxLayout* form, const QString& title,
                                          bool AppPreferences::*field) {
    auto* toggle = new ToggleSwitch(title);
    toggle->setChecked(m_prefs.*field);
    connect(toggle, &QAbstractButton::toggled, this, [this, field](bool on) { write(field, on); });
    form->addLayout(titled(title, toggle));
}

void SharedAppSettingsFormView::addThemePicker(QVBoxLayout* form) {
    const QString title = tr("Theme");
    auto* picker = new SegmentedPicker(title, {tr("System"), tr("Light"), tr("Dark")},
                                       themeIndex(m_prefs.theme));
    connect(picker, &SegmentedPicker::currentIndexChanged, this,
            [this](int index) { write(&AppPreferences::theme, themes.at(size_t(index))); });
    form->addLayout(titled(title, picker));
}
