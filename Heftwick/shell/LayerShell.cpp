#include "shell/LayerShell.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

namespace {

constexpr uint32_t newestVersion = 4;
const char* const bypassVariable = "QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT";

void* nativeResource(const QByteArray& name, QWindow* window = nullptr) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native)
        return nullptr;
    return window ? native->nativeResourceForWindow(name, window)
                  : native->nativeResourceForIntegration(name);
}

struct Global {
    zwlr_layer_shell_v1* shell = nullptr;
    uint32_t version = 0;
};

void announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
               uint32_t version) {
    auto* global = static_cast<Global*>(data);
    if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) != 0 || global->shell)
        return;
    global->version = std::min(version, newestVersion);
    global->shell = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, global->version));
}

void removed(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{announced, removed};

uint32_t layerAnchor(Qt::Edges edges) {
    return (edges & Qt::TopEdge ? ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP : 0) |
           (edges & Qt::BottomEdge ? ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM : 0) |
           (edges & Qt::LeftEdge ? ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT : 0) |
           (edges & Qt::RightEdge ? ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT : 0);
}

} // namespace

// Bound once, on a queue of its own so that looking for the global does not
// dispatch Qt's events; the surfaces made from it move to Qt's queue once
// they are set up.
LayerShell* LayerShell::instance() {
    static LayerShell* const shell = []() -> LayerShell* {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            return nullptr;
        auto* display = static_cast<wl_display*>(nativeResource("wl_display"));
        if (!display)
            return nullptr;
        wl_event_queue* queue = wl_display_create_queue(display);
        auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
        wl_registry* registry = wl_display_get_registry(wrapper);
        Global global;
        wl_registry_add_listener(registry, &registryListener, &global);
        wl_display_roundtrip_queue(display, queue);
        wl_registry_destroy(registry);
        wl_proxy_wrapper_destroy(wrapper);
        if (!global.shell) {
            wl_event_queue_destroy(queue);
            return nullptr;
        }
        // Qt reads the variable whenever it asks whether such a window has a
        // role, not only when it shows it: it stays set. Only windows flagged
        // Qt::BypassWindowManagerHint are affected, and the app has no other.
        qputenv(bypassVariable, "1");
        return new LayerShell(display, queue, global.shell, global.version);
    }();
    return shell;
}

struct LayerShell::Surface {
    zwlr_layer_surface_v1* role = nullptr;
    QPointer<QWidget> widget;
    QSize configuredSize;
    ~Surface() { zwlr_layer_surface_v1_destroy(role); }
};

LayerShell::LayerShell(wl_display* display, wl_event_queue* queue, zwlr_layer_shell_v1* shell,
                       uint32_t version)
    : m_display(display), m_queue(queue), m_shell(shell), m_version(version) {}

// The surface is first stretched between the output's top and bottom edges
// to learn the room there is, then given the widget's size within that room;
// Qt's first frame carries that state to the compositor.
QSize LayerShell::show(QWidget& widget, const Placement& placement) {
    release(widget);
    widget.show();
    auto* wlSurface = static_cast<wl_surface*>(nativeResource("surface", widget.windowHandle()));
    if (!wlSurface)
        return {};
    auto surface = std::make_unique<Surface>();
    surface->widget = &widget;
    surface->role = zwlr_layer_shell_v1_get_layer_surface(
        m_shell, wlSurface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "pilewatch");
    zwlr_layer_surface_v1_add_listener(surface->role, listener(), surface.get());
    const Qt::Edges edges = placement.edges;
    const bool fillsWidth = edges.testFlags(Qt::LeftEdge | Qt::RightEdge);
    const bool fillsHeight = edges.testFlags(Qt::TopEdge | Qt::BottomEdge);
    zwlr_layer_surface_v1_set_anchor(surface->role,
                                     layerAnchor(edges | Qt::TopEdge | Qt::BottomEdge));
    zwlr_layer_surface_v1_set_size(surface->role, fillsWidth ? 0 : uint32_t(widget.width()), 0);
    const QMargins& margins = placement.margins;
    zwlr_layer_surface_v1_set_margin(surface->role, margins.top(), margins.right(),
                                     margins.bottom(), margins.left());
    if (placement.coversBars)
        zwlr_layer_surface_v1_set_exclusive_zone(surface->role, -1);
    const uint32_t keyboard =
        !placement.takesKeyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
        : m_version >= 4         ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                                 : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE;
    zwlr_layer_surface_v1_set_keyboard_interactivity(surface->role, keyboard);
    wl_surface_commit(wlSurface);
    wl_display_roundtrip_queue(m_display, m_queue);
    const QSize room = surface->configuredSize;
    if (room.isEmpty())
        return {};
    const QSize size(fillsWidth ? room.width() : widget.width(),
                     fillsHeight ? room.height() : std::min(widget.maximumHeight(), room.height()));
    widget.setFixedSize(size);
    zwlr_layer_surface_v1_set_anchor(surface->role, layerAnchor(edges));
    zwlr_layer_surface_v1_set_size(surface->role, fillsWidth ? 0 : uint32_t(size.width()),
                                   fillsHeight ? 0 : uint32_t(size.height()));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(surface->role), nullptr);
    m_surfaces[&widget] = std::move(surface);
    return room;
}

void LayerShell::release(QWidget& widget) {
    m_surfaces.erase(&widget);
}

void LayerShell::configured(void* data, zwlr_layer_surface_v1* role, uint32_t serial,
                            uint32_t width, uint32_t height) {
    static_cast<Surface*>(data)->configuredSize = QSize(int(width), int(height));
    zwlr_layer_surface_v1_ack_configure(role, serial);
}

// The compositor took the surface away (its output went): the widget closes.
void LayerShell::closed(void* data, zwlr_layer_surface_v1*) {
    if (QWidget* widget = static_cast<Surface*>(data)->widget)
        widget->close();
}

const zwlr_layer_surface_v1_listener* LayerShell::listener() {
    static const zwlr_layer_surface_v1_listener events{configured, closed};
    return &events;
}
