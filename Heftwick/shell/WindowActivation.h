#pragma once

class QWidget;
struct LaunchToken;

namespace WindowActivation {

// Brings a top-level window to the user, as a second start or "Open
// Pilewatch" asks: shown, no longer minimised, on the workspace the user is
// on, raised and focused. The launcher's token, where there is one, lets the
// window take the focus past the window manager's or compositor's focus
// stealing prevention; on X11 it also ends the launcher's busy cursor.
void bringForward(QWidget& window, const LaunchToken& token);

} // namespace WindowActivation
