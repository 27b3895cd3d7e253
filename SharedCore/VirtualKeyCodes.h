#pragma once

#include <QtGlobal>

// The family's key codes are positional virtual key codes of the ANSI keyboard:
// they name the physical key, whatever the layout prints on it (A is 0, the
// Backspace key is 51). Here they are translated from the kernel's evdev code of
// the physical key (an X keycode minus 8).
namespace VirtualKeyCodes {

// The Backspace key ("delete" on the family's keyboards).
inline constexpr quint16 deleteKey = 51;

// Keys the ANSI keyboard does not have (media keys, ISO and JIS extras, keys
// beyond F20) report this bit together with their evdev code, so they stay
// distinct from each other and can never be mistaken for an ANSI key.
inline constexpr quint16 unmappedFlag = 0x8000;

// The virtual key code of the physical key with this evdev code.
quint16 fromEvdev(quint32 evdevCode);

} // namespace VirtualKeyCodes
