#pragma once

// Private to the library: the X11 plumbing shared by the input taps and the
// synthetic typing. Nothing outside SharedCore includes this header.

#include <QtGlobal>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

// xcb's replies, events and errors, freed when they go out of scope.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <class T> using XcbPtr = std::unique_ptr<T, XcbFree>;
template <class T> XcbPtr<T> owned(T* pointer) {
    return XcbPtr<T>(pointer);
}

// A connection of our own to the X server that DISPLAY names, apart from the
// one Qt keeps, so the taps and the typing never disturb Qt's event stream.
class XConnection {
public:
    XConnection();
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // Connected and not broken since.
    bool ok() const;
    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    // The server offers XInput 2, XTest and XKB: input can be observed and
    // synthesized through it.
    bool canObserveAndSynthesize() const;

    // The opcode of XInput, which raw events carry in their header.
    quint8 inputOpcode() const;

    // Waits until the server has handled every request sent so far.
    void sync() const;

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
};

// The keyboard's XKB keymap and state as the server has them now.
class XkbKeyboard {
public:
    // Loads the core keyboard's keymap and state; check ok(). The connection
    // must have XKB set up (XConnection::canObserveAndSynthesize does that).
    explicit XkbKeyboard(xcb_connection_t* connection);

    bool ok() const { return m_state != nullptr; }
    xkb_keymap* keymap() const { return m_keymap.get(); }
    xkb_state* state() const { return m_state.get(); }
    qint32 deviceId() const { return m_deviceId; }

    // Fetches the keymap and state afresh, after the server announced a change.
    void reload(xcb_connection_t* connection);

private:
    struct Free {
        void operator()(xkb_context* context) const { xkb_context_unref(context); }
        void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
        void operator()(xkb_state* state) const { xkb_state_unref(state); }
    };
    std::unique_ptr<xkb_context, Free> m_context;
    std::unique_ptr<xkb_keymap, Free> m_keymap;
    std::unique_ptr<xkb_state, Free> m_state;
    qint32 m_deviceId = -1;
};
