#pragma once

#include <QMainWindow>

class LoadEngine;
class QSplitter;
class Sidebar;

// The main window's content: the sidebar beside the tab it selects. Only the
// shown tab exists; switching away deletes it, discarding its view-local state.
// A main window, so that screen readers meet it as the app's frame.
class MainWindowView : public QMainWindow {
    Q_OBJECT

public:
    // The window stops shrinking here, or at the size of a smaller screen's
    // work area (a 640 × 400 laptop panel at scale 2): a window larger than
    // its screen would hide part of each page and the controls to reach it,
    // while every page scrolls within whatever room it gets.
    static constexpr QSize minimumContentSize{700, 500};
    static constexpr int minimumSidebarWidth = 220;

    explicit MainWindowView(LoadEngine& engine, QWidget* parent = nullptr);

    int selectedTab() const;
    Sidebar* sidebar() const { return m_sidebar; }
    // The tab shown in the detail column.
    QWidget* currentTab() const { return m_currentTab; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitToScreen();
    void showTab(int index);
    QWidget* makeTab(int index);

    LoadEngine& m_engine;
    Sidebar* m_sidebar = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_currentTab = nullptr;
};
