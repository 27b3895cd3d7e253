#pragma once

#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

class InputTap;

// Listen-only observation of the user's pointer travel and key presses, anywhere
// on the desktop, and typing text on the user's behalf.
//
// On Linux this speaks X11: the taps read XInput 2 raw events on the root
// window, over connections of their own, so nothing is taken from the
// application that gets the input; typing goes through XTest. "Accessibility
// trusted" means exactly that this works: an X server is reachable and offers
// XInput 2, XTest and XKB. Without a display, or in a Wayland session with no
// X server, the process is not trusted and the start calls return false
// without a word.
//
// Callbacks run on the thread that started the tap, from its Qt event loop;
// start, stop and destroy the manager on that thread. A manager must outlive
// its taps' use: destroying it stops them. Nothing here throws; the only output
// is the status lines on standard output.
class EventTapManager {
public:
    using MouseCallback = std::function<void(QPointF)>;
    // Characters typed by the key in the keymap in effect (at most 4 UTF-16
    // units; empty for Backspace and for keys that type nothing), the key's
    // virtual key code, and whether it is Backspace (key code 51).
    //
    // Key codes are the positional virtual key codes of the ANSI keyboard,
    // taken from the physical key whatever the layout: A is 0, Backspace 51.
    // A key the ANSI keyboard lacks (media keys, ISO and JIS extras, F21 and
    // beyond) reports 0x8000 plus the kernel's evdev code of the key.
    using KeyCallback =
        std::function<void(const QString& characters, quint16 keyCode, bool isDelete)>;

    EventTapManager();
    ~EventTapManager();
    EventTapManager(const EventTapManager&) = delete;
    EventTapManager& operator=(const EventTapManager&) = delete;

    // Reports the pointer's global position in screen pixels whenever it moves,
    // buttons held or not (one report per burst of motion). Not trusted: false,
    // nothing stored, nothing printed. Otherwise the callback replaces any
    // earlier one and a new tap replaces (and stops) any earlier mouse tap;
    // prints "✅ Mouse tracking started" and gives true, or, when the X server
    // refuses the tap or the calling thread has no Qt event loop to deliver
    // through, prints the "❌" line and gives false (the callback stays stored,
    // and no mouse tap is left running).
    bool startMouseTracking(MouseCallback callback);

    // The same for key presses (not releases), with the key
    // tap's own status lines.
    bool startKeyTracking(KeyCallback callback);

    // Whether the process may observe and synthesize input (see above).
    bool checkAccessibility();

    // Stops both taps, if any; no callback runs afterwards. The callbacks stay
    // stored; a later start installs fresh taps.
    void stopAll();

    // Types text into whichever window has the keyboard focus: each
    // user-perceived character in order, with 10 ms after each, blocking the
    // caller meanwhile. Characters on the keyboard are typed with their own
    // keys (with Shift where needed); others through a spare key that is lent
    // the character for the moment and emptied again before this returns, so
    // the keymap ends as it began. A character that cannot be typed (no spare
    // key is free, or it is no Unicode character) is skipped and the rest still
    // arrive. Empty text types nothing; without a trusted X server nothing
    // happens. A line feed types Enter.
    //
    // A lent key is emptied 100 ms after its last press. An application reads
    // the changed keymap only when it handles the key, so one that is busy for
    // longer gets nothing for such characters; in particular a window served
    // by the calling thread itself cannot get them (type from another thread).
    //
    // Lent keys are recorded on the X server, so processes of the family typing
    // at once never take each other's keys, and a lent key is never taken for
    // a character's own key. A process that is killed while typing cannot give
    // its keys back: until the next typeText or start of a tap by any process
    // of the family on the same display, those keys keep their characters.
    // Meanwhile a physical key at such a position (on Xvfb and most PCs none;
    // on a Japanese keyboard one of its extra keys) types the lent character,
    // and fewer spare keys are left for other programs. That next call empties
    // them first, and the keymap is again what it was before the killed call;
    // a key that a keymap loaded in the meantime gave a meaning is left alone.
    static void typeText(const QString& text);

    // X11 has no prompt that grants trust, so this does nothing; it exists so
    // that callers written for prompting systems work unchanged.
    static void requestAccessibility();

    // Open the desktop's privacy settings page for accessibility or input
    // monitoring where there is one (see PermissionsManager); elsewhere nothing
    // happens.
    static void openAccessibilitySettings();
    static void openInputMonitoringSettings();

private:
    std::unique_ptr<InputTap> m_mouseTap;
    MouseCallback m_mouseCallback;
    std::unique_ptr<InputTap> m_keyTap;
    KeyCallback m_keyCallback;
};
