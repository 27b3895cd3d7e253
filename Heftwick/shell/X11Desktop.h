#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

struct xcb_connection_t;

// The X11 desktop around the app, read on Qt's own X connection: absent
// (null, empty) on other platforms.
namespace X11Desktop {

xcb_connection_t* connection();
// The X screen the app runs on, as named by DISPLAY (":0.1" is screen 1).
int screenNumber();
std::uint32_t internAtom(const QByteArray& name);
// The root window of the X screen the app runs on.
std::uint32_t rootWindow();
// The first value of a 32-bit CARDINAL property, if the window has one.
std::optional<std::uint32_t> cardinal(std::uint32_t window, std::uint32_t property);
// Sends a 32-bit client message about window to the root window, where
// window managers and other clients that select substructure events read it.
void sendToRoot(std::uint32_t window, std::uint32_t type, const std::uint32_t (&data)[5]);

// A position in the X server's pixels (as tray hosts report them) in Qt's
// device-independent coordinates, on the screen that holds it; and back.
QPoint fromNative(const QPoint& native);
QPoint toNative(const QPoint& position);

// A position a tray host reports. Hosts on a scaled desktop (GTK's and
// Qt's) report their own device-independent pixels, as Qt uses them; a
// position on no screen in those is taken for the X server's pixels of a host
// that does not scale.
QPoint fromHost(const QPoint& position);

// The dock (a panel or tray bar: _NET_WM_WINDOW_TYPE_DOCK) shown at a
// position, in Qt's coordinates; empty where there is none.
QRect dockAt(const QPoint& position);

} // namespace X11Desktop
