#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

struct wl_display;
struct wl_event_queue;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zwlr_layer_surface_v1_listener;

// The compositor's layer shell (wlr-layer-shell: sway and the other wlroots
// compositors, KWin), on Qt's own Wayland connection: a surface of its
// overlay layer, above the windows and the bars, is placed against the edges
// of an output, where Qt's own windows are placed by the compositor alone.
//
// Qt gives each of its windows an xdg-shell role, except one flagged
// Qt::BypassWindowManagerHint while QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT is
// set (which the shell sets for the process); such a window's wl_surface
// takes the layer role here right after it is shown, before Qt draws into it
// (Qt draws on the expose event that showing queues).
class LayerShell {
public:
    struct Placement {
        // The output's edges the surface holds to; holding to two opposite
        // edges stretches it between them.
        Qt::Edges edges;
        QMargins margins;
        // Whether it takes the keyboard when it opens (and gives it up when
        // the user turns to another window), or never.
        bool takesKeyboard = true;
        // Whether it also covers the bars, rather than keeping off them.
        bool coversBars = false;
    };

    // The shell where the app runs on Wayland and the compositor offers it,
    // else null.
    static LayerShell* instance();

    // Shows a top-level widget flagged Qt::BypassWindowManagerHint as a
    // surface of the overlay layer, placed so; a widget that does not stretch
    // between the top and bottom edges keeps its height, up to the room the
    // output leaves (between its bars, unless it covers them). Returns that
    // room (less the margins), or an empty size where the compositor did not
    // take the surface.
    QSize show(QWidget& widget, const Placement& placement);
    // Ends the widget's surface role; call it before the widget hides.
    void release(QWidget& widget);

private:
    struct Surface;

    LayerShell(wl_display* display, wl_event_queue* queue, zwlr_layer_shell_v1* shell,
               uint32_t version);
    static const zwlr_layer_surface_v1_listener* listener();
    static void configured(void* data, zwlr_layer_surface_v1* role, uint32_t serial, uint32_t width,
                           uint32_t height);
    static void closed(void* data, zwlr_layer_surface_v1* role);

    wl_display* m_display;
    wl_event_queue* m_queue;
    zwlr_layer_shell_v1* m_shell;
    uint32_t m_version;
    std::map<QWidget*, std::unique_ptr<Surface>> m_surfaces;
};
