#include "shell/X11Desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// A top-level window's requests, sent together before any reply is read.
struct Candidate {
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
};

bool hasDockType(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t windowType = X11Desktop::internAtom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dock = X11Desktop::internAtom("_NET_WM_WINDOW_TYPE_DOCK");
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, windowType, XCB_ATOM_ATOM, 0, 32),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* types = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(types, types + count, dock) != types + count;
}

// A dock itself, or a window manager's frame around one.
bool isDockOrFramesOne(xcb_connection_t* connection, xcb_window_t window) {
    if (hasDockType(connection, window))
        return true;
    const auto tree =
        owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree)
        return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return std::any_of(children, children + xcb_query_tree_children_length(tree.get()),
                       [&](xcb_window_t child) { return hasDockType(connection, child); });
}

// Scales a span of X pixels to Qt's coordinates around the screen's origin.
int scaled(int value, int origin, qreal factor) {
    return origin + int(std::lround((value - origin) * factor));
}

const QScreen* screenWhere(const std::function<bool(const QScreen*)>& holds) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (holds(screen))
            return screen;
    return nullptr;
}

QRect nativeGeometry(const QScreen* screen) {
    return {screen->geometry().topLeft(), screen->geometry().size() * screen->devicePixelRatio()};
}

} // namespace

namespace X11Desktop {

xcb_connection_t* connection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int screenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        return 0;
    std::free(host);
    return screen;
}

std::uint32_t internAtom(const QByteArray& name) {
    xcb_connection_t* x11 = connection();
    if (!x11)
        return XCB_ATOM_NONE;
    const auto reply = owned(xcb_intern_atom_reply(
        x11, xcb_intern_atom(x11, 0, uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::uint32_t rootWindow() {
    xcb_connection_t* x11 = connection();
    if (!x11)
        return XCB_WINDOW_NONE;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x11));
    for (int n = screenNumber(); n > 0 && screens.rem > 1; --n)
        xcb_screen_next(&screens);
    return screens.data ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

std::optional<std::uint32_t> cardinal(std::uint32_t window, std::uint32_t property) {
    xcb_connection_t* x11 = connection();
    if (!x11)
        return std::nullopt;
    const auto reply = owned(xcb_get_property_reply(
        x11, xcb_get_property(x11, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

void sendToRoot(std::uint32_t window, std::uint32_t type, const std::uint32_t (&data)[5]) {
    xcb_connection_t* x11 = connection();
    if (!x11)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(std::begin(data), std::end(data), event.data.data32);
    xcb_send_event(x11, 0, rootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

// Qt keeps a screen's top-left corner the same in both coordinate systems
// and scales from there.
QPoint fromNative(const QPoint& native) {
    const QScreen* screen =
        screenWhere([&](const QScreen* s) { return nativeGeometry(s).contains(native); });
    if (!screen)
        return native;
    const QPoint origin = screen->geometry().topLeft();
    const qreal factor = 1 / screen->devicePixelRatio();
    return {scaled(native.x(), origin.x(), factor), scaled(native.y(), origin.y(), factor)};
}

QPoint toNative(const QPoint& position) {
    const QScreen* screen =
        screenWhere([&](const QScreen* s) { return s->geometry().contains(position); });
    if (!screen)
        return position;
    const QPoint origin = screen->geometry().topLeft();
    const qreal factor = screen->devicePixelRatio();
    return {scaled(position.x(), origin.x(), factor), scaled(position.y(), origin.y(), factor)};
}

QPoint fromHost(const QPoint& position) {
    const bool onAScreen =
        screenWhere([&](const QScreen* s) { return s->geometry().contains(position); });
    return onAScreen ? position : fromNative(position);
}

// The topmost top-level window that shows at the position, when it is a
// dock or frames one.
QRect dockAt(const QPoint& position) {
    xcb_connection_t* x11 = connection();
    if (!x11)
        return {};
    const auto tree = owned(xcb_query_tree_reply(x11, xcb_query_tree(x11, rootWindow()), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    std::vector<Candidate> candidates;
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i)
        candidates.push_back({children[i], xcb_get_window_attributes(x11, children[i]),
                              xcb_get_geometry(x11, children[i])});
    const QPoint native = toNative(position);
    xcb_window_t shown = XCB_WINDOW_NONE;
    QRect shownGeometry;
    for (const Candidate& candidate : candidates) {
        const auto attributes =
            owned(xcb_get_window_attributes_reply(x11, candidate.attributes, nullptr));
        const auto geometry = owned(xcb_get_geometry_reply(x11, candidate.geometry, nullptr));
        if (shown != XCB_WINDOW_NONE || !attributes || !geometry ||
            attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const QRect rect(geometry->x, geometry->y, geometry->width, geometry->height);
        if (rect.contains(native)) {
            shown = candidate.window;
            shownGeometry = rect;
        }
    }
    if (shown == XCB_WINDOW_NONE || !isDockOrFramesOne(x11, shown))
        return {};
    const QScreen* screen = screenWhere(
        [&](const QScreen* s) { return nativeGeometry(s).contains(shownGeometry.topLeft()); });
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    return {fromNative(shownGeometry.topLeft()), shownGeometry.size() / ratio};
}

} // namespace X11Desktop
