#pragma once

#include <string>

// Times a monitoring engine on the Desktop tree at dir: from a change to the
// publication that shows it, the engine's processor share while a file in a
// top-level folder is written without pause, and both while a new top-level
// folder fills with 20,000 files. Prints the figures and leaves the tree as
// it found it.
void benchLiveDesktop(const std::string& dir);
