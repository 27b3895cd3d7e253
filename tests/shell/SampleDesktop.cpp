#include "SampleDesktop.h"

#include "TestEnvironment.h"

#include <QDir>

bool putSampleDesktop(const ScopedHome& home) {
    const QByteArray desktop = home.homeBytes() + "/Desktop";
    if (!QDir().mkpath(QString::fromLocal8Bit(desktop)))
        return false;
    makeSparseFile(desktop + "/holiday.mov", 2'400'000'000);
    makeSparseFile(desktop + "/report.pdf", 12'000'000);
    writeFile(desktop + "/notes.txt", "notes");
    return true;
}
