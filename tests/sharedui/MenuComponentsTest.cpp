#include "MenuComponents.h"

#include "KitStyle.h"
#include "Pixels.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "SharedUI/ModernCardView.h"
#include "menu/KitLabel.h"
#include "menu/SymbolButton.h"
#include "menu/ToggleSwitch.h"
#include "menu/ValueFormat.h"

#include <QApplication>
#include <QLayout>
#include <QRawFont>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString bell = QStringLiteral("bell.fill");

QColor windowColor() {
    return QApplication::palette().color(QPalette::Window);
}

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const KitLabel* label : widget.findChildren<KitLabel*>())
        texts << label->text();
    return texts;
}

// Every symbol the kit draws is in the font, and each badge status has a glyph of its own.
TEST(KitSymbols, EveryNameTheKitDrawsHasAGlyphInTheFont) {
    const QRawFont font = QRawFont::fromFont(Symbols::font(16));
    QStringList names = QStringLiteral("xmark.circle.fill chevron.right slider.horizontal.3 "
                                       "gearshape bell.fill keyboard speaker.wave.2.fill power "
                                       "chart.bar.fill clock bolt.fill moon.fill timer cpu eye "
                                       "play.fill")
                            .split(' ');
    QSet<QString> badgeGlyphs;
    for (const auto s :
         {StatusBadge::Status::active, StatusBadge::Status::inactive, StatusBadge::Status::warning,
          StatusBadge::Status::error, StatusBadge::Status::processing}) {
        names << StatusBadge::symbolOf(s);
        badgeGlyphs.insert(Symbols::glyph(names.last()));
    }
    EXPECT_EQ(badgeGlyphs.size(), 5);
    for (const QString& name : names) {
        const QString glyph = Symbols::glyph(name);
        ASSERT_EQ(glyph.size(), 1) << name.toStdString();
        EXPECT_TRUE(font.supportsCharacter(glyph.at(0))) << name.toStdString();
    }
}

// Each clickable part of the kit takes focus, is named for screen readers, and
// acts once per click and once per Space; the button also on Return and Enter.
TEST(KitControls, TakeFocusAndActOnClickAndSpace) {
    int acts = 0;
    const auto act = [&acts] { ++acts; };
    SettingsRow settings(bell, "Alerts", std::nullopt, false);
    QObject::connect(&settings, &SettingsRow::isOnChanged, act);
    MenuPopoverContainer popover("Panel", act, new QLabel("Body"));
    ActionRow action(bell, "Open settings", act);
    AnimatedButton button("Start", QStringLiteral("play.fill"), act);
    const std::tuple<QWidget*, QWidget*, QString> controls[] = {
        {&settings, settings.findChild<ToggleSwitch*>(), "Alerts"},
        {&popover, popover.findChild<SymbolButton*>(), "Close"},
        {&action, &action, "Open settings"},
        {&button, &button, "Start"}};
    for (const auto& [window, control, name] : controls) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->accessibleName(), name);
        EXPECT_EQ(control->focusPolicy(), Qt::StrongFocus);
        window->show();
        acts = 0;
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Space);
        EXPECT_EQ(acts, 2);
    }
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(acts, 4) << "Return and Enter act too; a press in the button's shadow does not";
    EXPECT_FALSE(settings.isOn()) << "clicked on, then Space off";
    EXPECT_TRUE(popover.isVisible()) << "the close button only calls back";
}

// The badge sits in the top-right corner above the icon's frame.
QRect badgeArea() {
    return {MenuBarIconView::iconFrame - 4, 0, 10, MenuBarIconView::badgeShift + 4};
}

TEST(MenuBarIconView, ShowsABadgeOnlyAboveZeroCappedAt99) {
    const QColor red = KitStyle::named(NamedColor::red, QApplication::palette());
    const std::pair<std::optional<int>, QString> cases[] = {
        {std::nullopt, ""}, {0, ""}, {-3, ""}, {7, "7"}, {99, "99"}, {150, "99"}};
    for (const auto& [badge, text] : cases) {
        SCOPED_TRACE(badge.value_or(-99));
        MenuBarIconView view(bell, true, badge);
        EXPECT_EQ(view.size(), QSize(28, 28));
        EXPECT_EQ(view.accessibleName(), text);
        EXPECT_EQ(countNear(renderOn(view, windowColor()), red, badgeArea()) > 0, !text.isEmpty());
    }
}

TEST(MenuBarIconView, DrawsActiveIconsInTheirColourAndInactiveOnesInTheSecondaryColour) {
    const QColor bg = windowColor();
    const QPalette& palette = QApplication::palette();
    const QColor green = KitStyle::named(NamedColor::green, palette);
    const QRect icon(0, MenuBarIconView::badgeShift, MenuBarIconView::iconFrame,
                     MenuBarIconView::iconFrame);

    MenuBarIconView accent(bell);
    EXPECT_GT(countNear(renderOn(accent, bg), KitStyle::accent(palette), icon), 20);

    MenuBarIconView tinted(bell, true, std::nullopt, green);
    EXPECT_GT(countNear(renderOn(tinted, bg), green, icon), 20);

    MenuBarIconView inactive(bell, false, std::nullopt, green);
    const QImage dim = renderOn(inactive, bg);
    EXPECT_EQ(countNear(dim, green, icon, 30), 0);
    EXPECT_GT(countNear(dim, blend(bg, KitStyle::secondary(palette)), icon), 20);
}

TEST(SettingsRow, ShowsTheSubtitleOnlyWhenGivenAndBindsTheSwitch) {
    SettingsRow plain(bell, "Alerts", std::nullopt, false);
    EXPECT_EQ(labelTexts(plain), QStringList{"Alerts"});
    SettingsRow detailed(bell, "Alerts", QStringLiteral("When a scan ends"), true);
    EXPECT_EQ(labelTexts(detailed), (QStringList{"Alerts", "When a scan ends"}));
    EXPECT_TRUE(detailed.isOn());
    EXPECT_TRUE(detailed.findChild<ToggleSwitch*>()->isChecked());
}

TEST(ValueFormat, AcceptsOnlyFormatsThatTakeOneDouble) {
    for (const char* good :
         {"%.0f", "%f", "%.1f%%", "%5.2f", "%-+ #08.3e", "%G", "%lf", "%% %g %%"})
        EXPECT_TRUE(ValueFormat::takesOneDouble(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "plain", "%", "%d", "%s", "%n", "%p", "%.0f %f", "%*f", "%.*f",
                            "%Lf", "%100f", "%.100f", "%hf", "%1$f", "50%"})
        EXPECT_FALSE(ValueFormat::takesOneDouble(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(ValueFormat::format("%.0f", 42.7), "43");
    EXPECT_EQ(ValueFormat::format("%.1f%%", 42.75), "42.8%");
    EXPECT_EQ(ValueFormat::format("%s", 42.7), "43");
    EXPECT_EQ(ValueFormat::format("%5.1f", 2.25), "  2.2");
}

TEST(SliderRow, FormatsItsValueAndFallsBackForAnUnusableFormat) {
    EXPECT_EQ(SliderRow(bell, "Level", 42.7, {0, 100}).valueText(), "43");
    EXPECT_EQ(SliderRow(bell, "Level", 42.7, {0, 100}, 0.1, "%.1f%%").valueText(), "42.7%");
    EXPECT_EQ(SliderRow(bell, "Level", 42.7, {0, 100}, 1, "%n").valueText(), "43");
}

TEST(SliderRow, MovesInStepsWithinItsRangeFromTheKeyboard) {
    SliderRow row(bell, "Interval", 2.5, {0.5, 10}, 0.5, "%.1f");
    auto* slider = row.findChild<QSlider*>();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->accessibleName(), "Interval");
    EXPECT_EQ(slider->focusPolicy(), Qt::StrongFocus);
    QSignalSpy changed(&row, &SliderRow::valueChanged);
    row.show();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(row.value(), 3.0);
    EXPECT_EQ(row.valueText(), "3.0");
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_DOUBLE_EQ(row.value(), 10.0);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_DOUBLE_EQ(changed[1][0].toDouble(), 10.0);

    row.setValue(-4);
    EXPECT_DOUBLE_EQ(row.value(), 0.5);
    row.setValue(std::nan(""));
    EXPECT_DOUBLE_EQ(row.value(), 0.5);
}

TEST(SliderRow, MakesUnsoundRangesAndStepsUsable) {
    SliderRow reversed(bell, "Reversed", 5, {10, 0});
    EXPECT_DOUBLE_EQ(reversed.value(), 5);
    reversed.setValue(20);
    EXPECT_DOUBLE_EQ(reversed.value(), 10);

    SliderRow noStep(bell, "No step", 0.5, {0, 1}, 0, "%.3f");
    EXPECT_EQ(noStep.findChild<QSlider*>()->maximum(), 1000);
    EXPECT_EQ(noStep.valueText(), "0.500");

    SliderRow infinite(bell, "Infinite", 3, {0, std::numeric_limits<double>::infinity()});
    EXPECT_DOUBLE_EQ(infinite.value(), 1);

    SliderRow point(bell, "Point", 3, {3, 3});
    EXPECT_DOUBLE_EQ(point.value(), 3);
    EXPECT_EQ(point.findChild<QSlider*>()->maximum(), 0);
}

TEST(ShortcutBadge, PutsAPlusBetweenKeysOnly) {
    const auto plusCount = [](const ShortcutBadge& badge) {
        return labelTexts(badge).count(QStringLiteral("+"));
    };
    EXPECT_EQ(plusCount(ShortcutBadge(QStringLiteral("Esc"))), 0);
    EXPECT_EQ(plusCount(ShortcutBadge(QStringList{})), 0);
    const ShortcutBadge three("Ctrl", "Shift", "P");
    EXPECT_EQ(three.accessibleName(), "Ctrl+Shift+P");
    // In layout order: key, +, key, +, key.
    QStringList shown;
    for (int i = 0; i < three.layout()->count(); ++i)
        shown << static_cast<QLabel*>(three.layout()->itemAt(i)->widget())->text();
    EXPECT_EQ(shown, (QStringList{"Ctrl", "+", "Shift", "+", "P"}));
}

TEST(MenuPopoverContainer, IsExactly320WideWithItsContentPadded) {
    auto* content = new QLabel("Body");
    MenuPopoverContainer panel(
        "Panel", [] {}, content);
    panel.show();
    EXPECT_EQ(panel.minimumWidth(), 320);
    EXPECT_EQ(panel.maximumWidth(), 320);
    EXPECT_TRUE(labelTexts(panel).contains("Panel"));
    EXPECT_EQ(content->parentWidget()->window(), &panel);
    // The content sits below the title bar with the standard padding around it.
    EXPECT_EQ(content->geometry().left(), KitStyle::standardPadding);
    EXPECT_EQ(content->geometry().right(), 320 - KitStyle::standardPadding - 1);
}

} // namespace
