#pragma once

// The main window of a menu-bar application of the family: the controller
// that opens it once per process, the standard root with a title over the
// "Control" and "Settings" tabs, and the common settings form.
#include "launch/LaunchWindowController.h"
#include "launch/SharedAppSettingsFormView.h"

#include <QWidget>

class QTabWidget;

// The standard root of the launch window: appTitle as a heading over two tabs,
// "Control" scrolling the application's main widget across the full width,
// and "Settings" scrolling the common settings form with the application's
// own extra settings below it. The widgets are built by the caller and owned
// by the container from then on. At least 420 × 560.
class AppLaunchContainer : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize{420, 560};

    AppLaunchContainer(const QString& appTitle, QWidget* main, QWidget* settingsExtra,
                       QWidget* parent = nullptr);
    // Without extra settings.
    AppLaunchContainer(const QString& appTitle, QWidget* main);

    QTabWidget* tabs() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateTabSymbols();

    QTabWidget* m_tabs;
};
