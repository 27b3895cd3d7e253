#include "HeftwickApp.h"
#include "shell/PlatformChoice.h"
#include "shell/SingleInstance.h"
#include "shell/Translations.h"

#include <QApplication>
#include <vector>

int main(int argc, char** argv) {
    // Read before Qt's X11 platform takes the startup ID out of the environment.
    const LaunchToken launch = LaunchToken::fromEnvironment();
    // A better window system is asked for on the command line rather than in
    // the environment, which the programs Pilewatch starts inherit.
    QByteArray platform = PlatformChoice::fromEnvironment();
    std::vector<char*> args(argv, argv + argc);
    static char platformOption[] = "-platform";
    if (!platform.isEmpty())
        args.insert(args.begin() + 1, {platformOption, platform.data()});
    int count = int(args.size());
    args.push_back(nullptr);
    QApplication app(count, args.data());
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
