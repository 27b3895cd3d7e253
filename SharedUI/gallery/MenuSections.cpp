#include "MenuSections.h"

#include "KitStyle.h"
#include "MenuComponents.h"
#include "Platform/TextStyles.h"
#include "menu/KitLabel.h"

#include <QBoxLayout>
#include <QWidget>

namespace {

constexpr int rowSpacing = 4;
constexpr int itemSpacing = 20;
constexpr int panelShadowRoom = 24;

// The widgets in a line of their own, without margins.
QWidget* arranged(QBoxLayout* line, std::initializer_list<QWidget*> items) {
    auto* box = new QWidget;
    box->setLayout(line);
    line->setContentsMargins(0, 0, 0, 0);
    for (QWidget* item : items)
        line->addWidget(item);
    return box;
}

// A column of widgets with little space between them.
QWidget* stacked(std::initializer_list<QWidget*> items) {
    auto* column = new QVBoxLayout;
    column->setSpacing(rowSpacing);
    return arranged(column, items);
}

// Widgets side by side from the leading edge.
QWidget* sideBySide(std::initializer_list<QWidget*> items) {
    auto* row = new QHBoxLayout;
    row->setSpacing(itemSpacing);
    QWidget* box = arranged(row, items);
    row->addStretch();
    return box;
}

// A widget above a caption that names its state.
QWidget* captioned(QWidget* item, const QString& caption) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(item, 0, Qt::AlignHCenter);
    column->addWidget(
        new KitLabel(caption, TextStyles::font(TextStyle::caption2), KitStyle::secondary), 0,
        Qt::AlignHCenter);
    return box;
}

} // namespace

QWidget* menuBarIconsSection() {
    const QString bell = QStringLiteral("bell.fill");
    return sideBySide({
        captioned(new MenuBarIconView(bell), QStringLiteral("no badge")),
        captioned(new MenuBarIconView(bell, true, 0), QStringLiteral("0")),
        captioned(new MenuBarIconView(bell, true, 7), QStringLiteral("7")),
        captioned(new MenuBarIconView(bell, true, 150), QStringLiteral("150")),
        captioned(new MenuBarIconView(bell, false, 7, QColor(Qt::red)), QStringLiteral("inactive")),
    });
}

QWidget* settingsRowsSection() {
    return stacked({
        new SettingsRow(QStringLiteral("bell.fill"), QStringLiteral("Notifications"),
                        QStringLiteral("Alert when a scan finishes"), true),
        new SettingsRow(QStringLiteral("moon.fill"), QStringLiteral("Dim at night"), std::nullopt,
                        false),
    });
}

QWidget* slidersSection() {
    return stacked({
        new SliderRow(QStringLiteral("speaker.wave.2.fill"), QStringLiteral("Volume"), 42.7,
                      {0, 100}),
        new SliderRow(QStringLiteral("timer"), QStringLiteral("Interval"), 2.5, {0.5, 10}, 0.5,
                      QStringLiteral("%.1fs")),
        new SliderRow(QStringLiteral("bolt.fill"), QStringLiteral("Format with %d"), 64, {0, 100},
                      1, QStringLiteral("%d")),
    });
}

QWidget* actionRowsSection() {
    return stacked({
        new ActionRow(QStringLiteral("gearshape"), QStringLiteral("Open settings"), [] {}),
        new ActionRow(QStringLiteral("power"), QStringLiteral("Quit"), QColor(Qt::red), [] {}),
    });
}

QWidget* statisticsSection() {
    auto* columns = new QWidget;
    auto* row = new QHBoxLayout(columns);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new StatColumn(QStringLiteral("clock"), QStringLiteral("3h 12m"),
                                  QStringLiteral("Uptime")));
    row->addWidget(
        new StatColumn(QStringLiteral("cpu"), QStringLiteral("18%"), QStringLiteral("CPU")));
    row->addWidget(new StatColumn(QStringLiteral("chart.bar.fill"), QStringLiteral("1,204"),
                                  QStringLiteral("Events")));
    return stacked({
        columns,
        new StatRow(QStringLiteral("eye"), QStringLiteral("Views"), QStringLiteral("12,480")),
        new StatRow(QStringLiteral("clock"), QStringLiteral("Last run"), QStringLiteral("09:41")),
    });
}

QWidget* shortcutBadgesSection() {
    return sideBySide({
        new ShortcutBadge(QStringLiteral("Esc")),
        new ShortcutBadge(QStringLiteral("Ctrl"), QStringLiteral("K")),
        new ShortcutBadge(QStringLiteral("Ctrl"), QStringLiteral("Shift"), QStringLiteral("P")),
    });
}

QWidget* panelSection() {
    auto* body = stacked({
        new SettingsRow(QStringLiteral("keyboard"), QStringLiteral("Shortcuts"), std::nullopt,
                        true),
        new StatRow(QStringLiteral("clock"), QStringLiteral("Today"), QStringLiteral("2h 05m")),
    });
    auto* panel = new MenuPopoverContainer(
        QStringLiteral("Panel title"), [] {}, body);
    // Room around the panel for its shadow.
    auto* stage = new QWidget;
    auto* row = new QHBoxLayout(stage);
    row->setContentsMargins(panelShadowRoom, 0, panelShadowRoom, panelShadowRoom);
    row->addWidget(panel);
    row->addStretch();
    return stage;
}
