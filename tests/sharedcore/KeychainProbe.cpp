// Runs the three keychain operations once, in whatever session it finds itself,
// and prints their results and how long they took on one line. The keychain
// tests start it in prepared environments, so every situation gets a fresh
// process with nothing cached from an earlier one.
#include "SharedCore/StorageManager.h"

#include <QElapsedTimer>
#include <cstdio>

int main() {
    StorageManager& storage = StorageManager::shared();
    QElapsedTimer timer;
    timer.start();
    const bool saved = storage.saveToKeychain("secret", "probe", "io.example.probe");
    const qint64 saveMs = timer.restart();
    const std::optional<QString> read = storage.readFromKeychain("probe", "io.example.probe");
    const qint64 readMs = timer.restart();
    const bool deleted = storage.deleteFromKeychain("probe", "io.example.probe");
    const qint64 deleteMs = timer.elapsed();
    std::printf("save=%d read=%s delete=%d saveMs=%lld readMs=%lld deleteMs=%lld\n", saved,
                read ? "present" : "absent", deleted, saveMs, readMs, deleteMs);
    return 0;
}
