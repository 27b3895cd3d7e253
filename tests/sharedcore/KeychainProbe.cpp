// Saves, reads and deletes a keychain item in a fresh process; prints the results.
#include "SharedCore/StorageManager.h"

#include <cstdio>

int main() {
    const StorageManager& storage = StorageManager::shared();
    const bool saved = storage.saveToKeychain("secret", "probe", "io.example.probe");
    const bool read = storage.readFromKeychain("probe", "io.example.probe").has_value();
    const bool deleted = storage.deleteFromKeychain("probe", "io.example.probe");
    std::printf("save=%d read=%s delete=%d\n", saved, read ? "present" : "absent", deleted);
}
