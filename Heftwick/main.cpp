#include "HeftwickApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pilewatch");
    PilewatchApp pilewatch;
    pilewatch.launch();
    return QApplication::exec();
}
