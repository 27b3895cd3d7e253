// Types its one argument into whatever has the keyboard focus, so that a test
// can kill a typist in the middle of a word.
#include "SharedCore/EventTapManager.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    EventTapManager::typeText(QString::fromUtf8(argv[1]));
}
