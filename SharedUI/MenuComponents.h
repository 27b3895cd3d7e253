#pragma once

// The building blocks of a menu-bar panel: its frame, the menu-bar icon with a
// count badge, and the rows and tiles of its body.
#include "menu/ActionRow.h"
#include "menu/MenuBarIconView.h"
#include "menu/MenuPopoverContainer.h"
#include "menu/SettingsRow.h"
#include "menu/ShortcutBadge.h"
#include "menu/SliderRow.h"
#include "menu/StatColumn.h"
#include "menu/StatRow.h"
