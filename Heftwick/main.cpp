#include "HeftwickApp.h"
#include "shell/SingleInstance.h"
#include "shell/Translations.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Read before Qt's X11 platform takes the startup ID out of the environment.
    const LaunchToken launch = LaunchToken::fromEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pilewatch");
    Translations::install();
    // The app's id names its session-bus name and its installed desktop entry,
    // icons and metainfo alike; desktops match the windows to the entry by it.
    QGuiApplication::setDesktopFileName(SingleInstance::serviceName);
    SingleInstance instance;
    if (!instance.claim(launch))
        return 0;
    PilewatchApp pilewatch;
    QObject::connect(&instance, &SingleInstance::activated, &app,
                     [&pilewatch](const LaunchToken& token) { pilewatch.showMainWindow(token); });
    pilewatch.launch();
    return QApplication::exec();
}
