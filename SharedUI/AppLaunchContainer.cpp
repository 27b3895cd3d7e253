#include "AppLaunchContainer.h"

#include "KitStyle.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"
#include "menu/KitLabel.h"

#include <QBoxLayout>
#include <QEvent>
#include <QScrollArea>
#include <QTabWidget>

namespace {

constexpr int titlePaddingX = 16;
constexpr int titlePaddingTop = 10;
constexpr int titlePaddingBottom = 6;
constexpr int tabsPadding = 8;
constexpr int settingsSpacing = 20;
constexpr int settingsPaddingX = 8;
constexpr int settingsPaddingY = 12;
constexpr int tabSymbolSize = 16;

const QString controlSymbol = QStringLiteral("slider.horizontal.3");
const QString settingsSymbol = QStringLiteral("gearshape");

// A vertical scroll view showing content across its full width, over the tab's
// own background.
QScrollArea* verticalScroll(QWidget* content) {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    scroll->setWidget(content);
    return scroll;
}

QWidget* settingsPage(QWidget* extra) {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(settingsPaddingX, settingsPaddingY, settingsPaddingX,
                               settingsPaddingY);
    column->setSpacing(settingsSpacing);
    column->addWidget(new SharedAppSettingsFormView);
    if (extra)
        column->addWidget(extra);
    column->addStretch();
    return page;
}

// A symbol as a tab icon, crisp at 1× and 2×.
QIcon tabIcon(const QString& symbol, const QColor& color) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0})
        icon.addPixmap(Symbols::pixmap(symbol, color, tabSymbolSize, ratio));
    return icon;
}

} // namespace

AppLaunchContainer::AppLaunchContainer(const QString& appTitle, QWidget* main,
                                       QWidget* settingsExtra, QWidget* parent)
    : QWidget(parent), m_tabs(new QTabWidget) {
    setMinimumSize(minimumContentSize);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QFont titleFont = TextStyles::font(TextStyle::title2);
    titleFont.setWeight(QFont::DemiBold);
    auto* title = new KitLabel(appTitle, titleFont, KitStyle::primary);
    title->setContentsMargins(titlePaddingX, titlePaddingTop, titlePaddingX, titlePaddingBottom);
    title->setAccessibleName(appTitle);
    column->addWidget(title);

    m_tabs->addTab(verticalScroll(main), tr("Control"));
    m_tabs->addTab(verticalScroll(settingsPage(settingsExtra)), tr("Settings"));
    updateTabSymbols();
    auto* tabsBox = new QVBoxLayout;
    tabsBox->setContentsMargins(tabsPadding, 0, tabsPadding, tabsPadding);
    tabsBox->addWidget(m_tabs);
    column->addLayout(tabsBox, 1);
}

AppLaunchContainer::AppLaunchContainer(const QString& appTitle, QWidget* main)
    : AppLaunchContainer(appTitle, main, nullptr) {}

QTabWidget* AppLaunchContainer::tabs() const {
    return m_tabs;
}

void AppLaunchContainer::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        updateTabSymbols();
    QWidget::changeEvent(event);
}

void AppLaunchContainer::updateTabSymbols() {
    const QColor color = KitStyle::primary(palette());
    m_tabs->setTabIcon(0, tabIcon(controlSymbol, color));
    m_tabs->setTabIcon(1, tabIcon(settingsSymbol, color));
}
