#include "HeftwickApp.h"
#include "shell/SingleInstance.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pilewatch");
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    PilewatchApp pilewatch;
    QObject::connect(&instance, &SingleInstance::activated, &app,
                     [&pilewatch] { pilewatch.showMainWindow(); });
    pilewatch.launch();
    return QApplication::exec();
}
