#pragma once

#include "SharedCore/AppPreferences.h"

// Gives the whole application the palette of a theme: the desktop's own for
// "System", a light or a dark palette otherwise.
void applyTheme(AppPreferences::Theme theme);
