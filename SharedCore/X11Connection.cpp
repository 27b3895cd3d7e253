#include "X11Connection.h"

#include <xcb/xinput.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>

namespace {

bool hasXInput2(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    const auto version = owned(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    return version && version->major_version >= 2;
}

bool hasXTest(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_test_id);
    return extension && extension->present;
}

bool hasXkb(xcb_connection_t* connection) {
    return xkb_x11_setup_xkb_extension(
               connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
               XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr) == 1;
}

} // namespace

XConnection::XConnection() {
    // Without DISPLAY there is no X server to ask (a bare console, or a Wayland
    // session without Xwayland); xcb would only fail the same way.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem > 0)
        m_root = screens.data->root;
}

XConnection::~XConnection() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XConnection::ok() const {
    return m_connection && !xcb_connection_has_error(m_connection) && m_root != XCB_NONE;
}

bool XConnection::canObserveAndSynthesize() const {
    return ok() && hasXInput2(m_connection) && hasXTest(m_connection) && hasXkb(m_connection);
}

quint8 XConnection::inputOpcode() const {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(m_connection, &xcb_input_id);
    return extension ? extension->major_opcode : 0;
}

void XConnection::sync() const {
    owned(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

XkbKeyboard::XkbKeyboard(xcb_connection_t* connection)
    : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    if (m_context)
        reload(connection);
}

void XkbKeyboard::reload(xcb_connection_t* connection) {
    m_deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    if (!m_context || m_deviceId < 0)
        return;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(m_context.get(), connection, m_deviceId,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return;
    m_keymap.reset(keymap);
    m_state.reset(xkb_x11_state_new_from_device(keymap, connection, m_deviceId));
}
