#include "TabTestSupport.h"
#include "shell/MainWindowView.h"
#include "shell/Palette.h"
#include "shell/Sidebar.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct Look {
    const char* name;
    QPalette palette;
};

QList<Look> looks() {
    return {{"light", QApplication::palette()}, {"dark", Palette::darkPanelPalette()}};
}

// Every tab, shown in the real main window at its opening and its minimum
// size, in a light and a dark system palette, shows all its texts whole and
// never scrolls sideways.
TEST(TabsInMainWindow, EveryTabShowsItsWholeTextAtBothWindowSizesInBothPalettes) {
    for (const Look& look : looks()) {
        ScopedPalette palette(look.palette);
        FakeDesktop desktop;
        desktop.engine().publish(fullSnapshot(totalFor(LoadEngine::LoadStatus::critical)));
        MainWindowView view(desktop.engine());
        view.show();
        for (const QSize size : {QSize(800, 600), QSize(700, 500)}) {
            view.resize(size);
            for (int index = 0; index < Sidebar::destinations().size(); ++index) {
                const QString name =
                    QStringLiteral("main-%1-%2-%3x%4")
                        .arg(Sidebar::destinations()[index].title.toLower(), look.name)
                        .arg(size.width())
                        .arg(size.height());
                SCOPED_TRACE(name.toStdString());
                view.sidebar()->setSelectedTab(index);
                settleLayouts();
                QWidget* tab = view.currentTab();
                EXPECT_LE(tab->mapTo(&view, QPoint(tab->width(), 0)).x(), view.width());
                expectLabelsShowWholeText(tab);
                if (auto* scroll = tab->findChild<QScrollArea*>()) {
                    EXPECT_LE(scroll->widget()->width(), scroll->viewport()->width());
                }
                saveScreenshots(&view, name);
            }
        }
    }
}

} // namespace
