#pragma once

#include "LoadEngine.h"

#include <QEventLoop>
#include <QObject>
#include <functional>

// Starts one engine operation (a scan, a remedy) and waits for the scan it
// leads to: true once the state is published, false when the scan failed.
inline bool runAndWait(LoadEngine& engine, const std::function<void()>& operation) {
    QEventLoop loop;
    const auto published =
        QObject::connect(&engine, &LoadEngine::stateChanged, &loop, [&] { loop.exit(0); });
    const auto failed =
        QObject::connect(&engine, &LoadEngine::scanFailed, &loop, [&] { loop.exit(1); });
    operation();
    const int result = loop.exec();
    QObject::disconnect(published);
    QObject::disconnect(failed);
    return result == 0;
}
