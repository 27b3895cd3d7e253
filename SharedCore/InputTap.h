#pragma once

// Private to the library: listen-only observers of the X server's raw input,
// behind EventTapManager. No X11 types appear here.

#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

// One key press as the family reports it.
struct KeyPress {
    QString characters; // what the key types in the keymap in effect, at most 4 UTF-16 units
    quint16 keyCode;    // the physical key's virtual key code (VirtualKeyCodes)
};

// A tap on the X server's raw input events, on a connection of its own. Raw
// events reach every client that asks for them on the root window, whichever
// window has the pointer or the focus, and nothing is taken away from the
// application that gets the input. Events are delivered on the thread that
// opened the tap, through its Qt event loop (a socket notifier on the
// connection); the tap must be destroyed on that thread. Destroying it stops
// delivery at once, also from within one of its own callbacks.
class InputTap {
public:
    virtual ~InputTap() = default;

    // Pointer travel: onMove gets the pointer's global position in screen
    // pixels after each burst of motion, with or without buttons held. Absent
    // when the server refuses the tap, or the thread has no Qt event loop.
    static std::unique_ptr<InputTap> pointer(std::function<void(QPointF)> onMove);

    // Key presses (not releases): onKey gets each press in order. Absent when
    // the server refuses the tap, or the thread has no Qt event loop.
    static std::unique_ptr<InputTap> keyboard(std::function<void(const KeyPress&)> onKey);

protected:
    InputTap() = default;
};

// The process can observe and synthesize input here: an X server is reachable
// and offers XInput 2, XTest and XKB.
bool inputTrusted();
