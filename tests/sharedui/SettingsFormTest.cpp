#include "AppLaunchContainer.h"
#include "TestEnvironment.h"
#include "launch/SegmentedPicker.h"
#include "menu/ToggleSwitch.h"

#include <QAbstractButton>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

StorageManager& storage = StorageManager::shared();

QByteArray storedBytes() {
    const std::optional<QVariant> value = storage.get(AppPreferences::settingsKey);
    return value ? value->toByteArray() : QByteArray();
}

QJsonObject storedObject() {
    return QJsonDocument::fromJson(storedBytes()).object();
}

// A switch by its accessible name, or a theme segment by its text.
QAbstractButton* control(const QWidget& form, const QString& name) {
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
        if (button->accessibleName() == name || button->text() == name)
            return button;
    ADD_FAILURE() << "no control " << name.toStdString();
    return nullptr;
}

class SettingsForm : public ::testing::Test {
protected:
    ScopedHome home;
};

TEST_F(SettingsForm, ShowsTheCommonSettingsInOrderWithTheStoredDefaults) {
    SharedAppSettingsFormView form;
    QStringList switches;
    for (const ToggleSwitch* toggle : form.findChildren<ToggleSwitch*>())
        switches << toggle->accessibleName() + (toggle->isChecked() ? "=on" : "=off");
    EXPECT_EQ(switches, (QStringList{"Launch at login=off", "Show menu bar icon=on",
                                     "Reduce motion=off", "Reduce transparency=off"}));
    const auto* picker = form.findChild<SegmentedPicker*>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->accessibleName(), "Theme");
    QStringList segments;
    for (const QAbstractButton* segment : picker->findChildren<QAbstractButton*>())
        segments << segment->text();
    EXPECT_EQ(segments, (QStringList{"System", "Light", "Dark"}));
    EXPECT_EQ(picker->currentIndex(), 0);
    EXPECT_TRUE(storedBytes().isEmpty()) << "showing the form stores nothing";
}

TEST_F(SettingsForm, StoresEveryChangeAtOnceAndANewFormShowsIt) {
    {
        SharedAppSettingsFormView form;
        QSignalSpy changed(&form, &SharedAppSettingsFormView::preferencesChanged);
        form.show();
        QTest::mouseClick(control(form, "Reduce motion"), Qt::LeftButton);
        EXPECT_TRUE(storedBytes().contains(R"("reduceMotion":true)")) << storedBytes().constData();
        EXPECT_EQ(storedObject().size(), 6);

        QTest::mouseClick(control(form, "Dark"), Qt::LeftButton);
        EXPECT_EQ(storedObject().value("theme").toString(), "dark");
        EXPECT_EQ(storedObject().value("reduceMotion").toBool(), true);
        EXPECT_EQ(changed.count(), 2);
    }
    SharedAppSettingsFormView again;
    EXPECT_TRUE(control(again, "Reduce motion")->isChecked());
    EXPECT_TRUE(control(again, "Dark")->isChecked());
    EXPECT_FALSE(control(again, "Launch at login")->isChecked());
    EXPECT_EQ(again.preferences().theme, AppPreferences::Theme::dark);
}

TEST_F(SettingsForm, KeepsTheShortcutsItDoesNotShow) {
    AppPreferences stored;
    stored.keyboardShortcuts = {{"open", "Ctrl+O"}};
    stored.save();
    SharedAppSettingsFormView form;
    form.show();
    QTest::mouseClick(control(form, "Launch at login"), Qt::LeftButton);
    const AppPreferences now = AppPreferences::load();
    EXPECT_TRUE(now.launchAtLogin);
    EXPECT_EQ(now.keyboardShortcuts.value("open"), "Ctrl+O");
}

TEST_F(SettingsForm, ShowsDefaultsForAnUnreadableRecordAndLeavesItUntilAChange) {
    const QByteArray unreadable =
        R"({"launchAtLogin":true,"showMenuBarIcon":false,"keyboardShortcuts":{},)"
        R"("theme":"sepia","reduceMotion":true,"reduceTransparency":true})";
    storage.set(QVariant(unreadable), AppPreferences::settingsKey);
    {
        SharedAppSettingsFormView form;
        EXPECT_EQ(form.preferences(), AppPreferences::defaultSettings());
        EXPECT_TRUE(control(form, "Show menu bar icon")->isChecked());
        EXPECT_FALSE(control(form, "Reduce motion")->isChecked());
        EXPECT_TRUE(control(form, "System")->isChecked());
    }
    EXPECT_EQ(storedBytes(), unreadable) << "nothing changed, nothing written";

    SharedAppSettingsFormView form;
    form.show();
    QTest::mouseClick(control(form, "Light"), Qt::LeftButton);
    const auto written = AppPreferences::fromJson(storedBytes());
    ASSERT_TRUE(written.has_value()) << "a complete record replaces the unreadable one";
    EXPECT_EQ(written->theme, AppPreferences::Theme::light);
    EXPECT_FALSE(written->reduceMotion);
}

} // namespace
