#pragma once

// Private to the library: typing text into whichever window has the keyboard
// focus, as if the user pressed the keys. See EventTapManager::typeText.

#include <QString>

namespace SyntheticTyping {

// Types each user-perceived character of text in order, 10 ms apart, through
// XTest on the X server that DISPLAY names; blocks until done. Returns at once
// when there is no such server.
void type(const QString& text);

} // namespace SyntheticTyping
