#include "AppLaunchContainer.h"
#include "ControlPage.h"
#include "GalleryTheme.h"
#include "MenuComponents.h"
#include "TestEnvironment.h"
#include "menu/KitLabel.h"

#include <QApplication>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(AppLaunchContainer, TitlesTwoTabsAndPutsTheExtraSettingsBelowTheForm) {
    ScopedHome home;
    auto* main = new QLabel("main content");
    auto* extra = new QLabel("extra settings");
    AppLaunchContainer container("My App", main, extra);
    container.resize(480, 680);
    container.show();
    EXPECT_EQ(container.minimumSize(), QSize(420, 560));
    const auto* title = container.findChild<KitLabel*>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "My App");
    EXPECT_EQ(title->font().weight(), QFont::DemiBold);

    QTabWidget* tabs = container.tabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Control");
    EXPECT_EQ(tabs->tabText(1), "Settings");
    EXPECT_FALSE(tabs->tabIcon(0).isNull());
    EXPECT_FALSE(tabs->tabIcon(1).isNull());
    EXPECT_EQ(qobject_cast<QScrollArea*>(tabs->widget(0))->widget(), main);
    EXPECT_EQ(main->width(), tabs->widget(0)->width()) << "main content spans the tab";

    tabs->setCurrentIndex(1);
    const auto* form = tabs->widget(1)->findChild<SharedAppSettingsFormView*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->geometry().topLeft(), QPoint(8, 12));
    EXPECT_EQ(extra->geometry().top(), form->geometry().bottom() + 1 + 20);

    AppLaunchContainer plain("Plain", new QLabel("main"));
    EXPECT_EQ(plain.tabs()->widget(1)->findChildren<QLabel*>().size(),
              plain.tabs()->widget(1)->findChildren<KitLabel*>().size())
        << "no extra settings";
}

// The gallery in one theme: every part of its Control page fits the window's
// width. Returns the page's colour on average.
QColor galleryColour(AppPreferences::Theme theme) {
    applyTheme(theme);
    AppLaunchContainer gallery("SharedUI Gallery", makeControlPage());
    gallery.resize(LaunchWindowController::defaultIdealSize);
    gallery.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&gallery));
    const QWidget* page = qobject_cast<QScrollArea*>(gallery.tabs()->widget(0))->widget();
    for (const QWidget* child : page->findChildren<QWidget*>())
        EXPECT_LE(child->geometry().right(), page->width()) << "fits the width";
    const QImage control = gallery.grab().toImage();
    return control.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
}

TEST(Gallery, FollowsTheChosenThemeAndFitsTheWindow) {
    ScopedHome home;
    const QColor light = galleryColour(AppPreferences::Theme::light);
    const QColor dark = galleryColour(AppPreferences::Theme::dark);
    applyTheme(AppPreferences::Theme::system);
    EXPECT_GT(light.lightness(), dark.lightness() + 60);
}

} // namespace
