#include "shell/MainWindowView.h"

#include "shell/Sidebar.h"
#include "tabs/CleanupTab.h"
#include "tabs/DashboardTab.h"
#include "tabs/FilesTab.h"

#include <QScreen>
#include <QSplitter>
#include <QWindow>

MainWindowView::MainWindowView(LoadEngine& engine, QWidget* parent)
    : QMainWindow(parent), m_engine(engine), m_sidebar(new Sidebar),
      m_splitter(new QSplitter(Qt::Horizontal)) {
    setMinimumSize(minimumContentSize);
    m_sidebar->setMinimumWidth(minimumSidebarWidth);

    // Side by side, never overlaid: a wider window widens the detail column.
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_sidebar);
    m_splitter->setStretchFactor(0, 0);
    setCentralWidget(m_splitter);

    showTab(0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({minimumSidebarWidth + 20, minimumContentSize.width()});
    connect(m_sidebar, &Sidebar::selectedTabChanged, this, &MainWindowView::showTab);
}

void MainWindowView::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    connect(windowHandle(), &QWindow::screenChanged, this, &MainWindowView::fitToScreen,
            Qt::UniqueConnection);
    fitToScreen();
}

// The room the screen's work area leaves for the window inside its frame
// (known once the window manager has framed it) bounds its minimum; on a
// screen too small for the usual minimum, the window shrinks into it too.
void MainWindowView::fitToScreen() {
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize room = screen()->availableGeometry().size() - frame;
    setMinimumSize(minimumContentSize.boundedTo(room));
    if (minimumSize() != minimumContentSize)
        resize(size().boundedTo(room));
}

// The sidebar's selection decides the tab shown.
int MainWindowView::selectedTab() const {
    return m_sidebar->selectedTab();
}

// Replaces the shown tab with a fresh one; the previous tab and everything it
// held are deleted at once.
void MainWindowView::showTab(int index) {
    QWidget* tab = makeTab(index);
    // Screen readers name the page after the destination that shows it.
    tab->setAccessibleName(
        Sidebar::destinations().value(index, Sidebar::destinations().first()).title);
    if (m_currentTab) {
        // The new tab takes the old one's place at the width the user left.
        const QList<int> sizes = m_splitter->sizes();
        delete m_splitter->replaceWidget(1, tab);
        m_splitter->setSizes(sizes);
    } else {
        m_splitter->addWidget(tab);
    }
    m_currentTab = tab;
}

// One tab per destination; any other index shows the Dashboard.
QWidget* MainWindowView::makeTab(int index) {
    switch (index) {
    case 1:
        return new FilesTab(m_engine);
    case 2:
        return new CleanupTab(m_engine);
    default:
        return new DashboardTab(m_engine);
    }
}
