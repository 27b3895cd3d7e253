// The gallery's real executable on a private X server without a window
// manager: its launch window comes up centred, and the position and size a
// user gives it come back on the next launch.
#include "TestEnvironment.h"

#include <QProcess>
#include <QRect>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace {

const QByteArray galleryTitle = "SharedUI Gallery";

// An xcb reply, freed with it.
template <class Reply> std::unique_ptr<Reply, void (*)(void*)> owned(Reply* reply) {
    return {reply, &std::free};
}

// The X server the gallery draws on, as another client sees it.
class XDisplay {
public:
    XDisplay() : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~XDisplay() { xcb_disconnect(m_connection); }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool connected() const { return xcb_connection_has_error(m_connection) == 0; }

    // A mapped top-level window with the given title.
    std::optional<xcb_window_t> findWindow(const QByteArray& title) const {
        const auto tree = owned(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t child = xcb_query_tree_children(tree.get())[i];
            if (isMapped(child) && titleOf(child) == title)
                return child;
        }
        return std::nullopt;
    }

    QRect geometry(xcb_window_t window) const {
        const auto reply = owned(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        return reply ? QRect(reply->x, reply->y, reply->width, reply->height) : QRect();
    }

    // Moves and resizes the window as a user would through a window manager.
    void setGeometry(xcb_window_t window, const QRect& rect) const {
        const uint32_t values[] = {uint32_t(rect.x()), uint32_t(rect.y()), uint32_t(rect.width()),
                                   uint32_t(rect.height())};
        xcb_configure_window(m_connection, window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        xcb_flush(m_connection);
    }

    // Asks the window to close, as its title bar's close button does.
    void requestClose(xcb_window_t window) const {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_PROTOCOLS");
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }

private:
    xcb_atom_t atom(const char* name) const {
        const auto reply = owned(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    bool isMapped(xcb_window_t window) const {
        const auto reply = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    QByteArray titleOf(xcb_window_t window) const {
        const auto reply =
            owned(xcb_get_property_reply(m_connection,
                                         xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME,
                                                          XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                         nullptr));
        return reply ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()))
                     : QByteArray();
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

// Starts the gallery and waits for its window; gives the window, or nothing.
std::optional<xcb_window_t> launchGallery(QProcess& gallery, const XDisplay& display) {
    gallery.setProcessChannelMode(QProcess::ForwardedChannels);
    gallery.start(GALLERY_EXECUTABLE, {});
    std::optional<xcb_window_t> window;
    waitUntil([&] { return bool(window = display.findWindow(galleryTitle)); }, 15000);
    return window;
}

// Closes the window; the gallery quits with its last window.
void closeGallery(QProcess& gallery, const XDisplay& display, xcb_window_t window) {
    display.requestClose(window);
    ASSERT_TRUE(gallery.waitForFinished(10000)) << "closing the window did not end the gallery";
    EXPECT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0);
}

TEST(GalleryProcess, ComesUpCentredAndRestoresTheGeometryOfTheLastRun) {
    ScopedHome home;
    const XDisplay display;
    ASSERT_TRUE(display.connected());

    QProcess first;
    const std::optional<xcb_window_t> window = launchGallery(first, display);
    ASSERT_TRUE(window) << "the gallery's window did not appear";
    const QRect opened = display.geometry(*window);
    EXPECT_EQ(opened.size(), QSize(480, 680));
    // run-in-session.sh gives the server a 1280 × 800 screen.
    EXPECT_EQ(opened.center(), QRect(0, 0, 1280, 800).center());

    const QRect placed(40, 50, 600, 700);
    display.setGeometry(*window, placed);
    ASSERT_TRUE(waitUntil([&] { return display.geometry(*window) == placed; }));
    closeGallery(first, display, *window);

    QProcess second;
    const std::optional<xcb_window_t> again = launchGallery(second, display);
    ASSERT_TRUE(again) << "the gallery's window did not appear the second time";
    EXPECT_EQ(display.geometry(*again), placed);
    closeGallery(second, display, *again);
}

} // namespace
