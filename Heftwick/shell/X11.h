#pragma once

#include <QByteArray>
#include <optional>
#include <xcb/xcb.h>

// Small helpers for talking to the X server on Qt's own connection.
namespace X11 {

// Qt's X connection, or null when the app does not run on X11.
xcb_connection_t* connection();
// The atom of that name, created if need be; XCB_ATOM_NONE on failure.
xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name);
// The root window of the X screen the app runs on.
xcb_window_t rootWindow(xcb_connection_t* connection);
// The X screen the app runs on, as named by DISPLAY (":0.1" is screen 1).
int screenNumber();
// The first value of a 32-bit CARDINAL property, if the window has one.
std::optional<uint32_t> cardinal(xcb_connection_t* connection, xcb_window_t window,
                                 xcb_atom_t property);
// Sends a 32-bit client message about window to the root window, where
// window managers and other clients that select substructure events read it.
void sendToRoot(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                const uint32_t (&data)[5]);

} // namespace X11
