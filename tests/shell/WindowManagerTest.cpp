// The real executable under real X11 window managers on a private X server:
// a second start brings back its minimised window from another desktop.
#include "ShellTestSupport.h"
#include "shell/X11Desktop.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <xcb/xcb.h>

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// A window named by a window's WINDOW property; None when it has none.
xcb_window_t windowProperty(xcb_window_t window, const QByteArray& name) {
    xcb_connection_t* x = X11Desktop::connection();
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, X11Desktop::internAtom(name), XCB_ATOM_WINDOW, 0, 1),
            nullptr),
        &std::free);
    return reply && xcb_get_property_value_length(reply.get()) == 4
               ? *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()))
               : xcb_window_t(XCB_WINDOW_NONE);
}

// A window manager runs: its check window, named on the root, is alive and
// names itself (a window manager that ended leaves a stale root property).
bool windowManagerRuns() {
    const xcb_window_t check = windowProperty(X11Desktop::rootWindow(), "_NET_SUPPORTING_WM_CHECK");
    return check != XCB_WINDOW_NONE && windowProperty(check, "_NET_SUPPORTING_WM_CHECK") == check;
}

// What xdotool prints for the arguments (windows, a desktop), or "" when it fails.
QString xdotoolSays(const QStringList& arguments) {
    ChildProcess run("xdotool", arguments);
    return run.succeeds(5000) ? QString::fromStdString(run.output()).trimmed() : QString();
}

// Reads the X events the test's own connection receives: the server's time,
// and the startup notification messages broadcast on the root window.
class RootEvents : public QAbstractNativeEventFilter {
public:
    RootEvents() : m_x(X11Desktop::connection()), m_root(X11Desktop::rootWindow()) {
        m_timeProperty = X11Desktop::internAtom("_PILEWATCH_TEST_TIME");
        m_startupBegin = X11Desktop::internAtom("_NET_STARTUP_INFO_BEGIN");
        m_startupMore = X11Desktop::internAtom("_NET_STARTUP_INFO");
        // Startup messages go to clients that select property changes on the root.
        const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, m_root), nullptr),
            &std::free);
        const uint32_t mask =
            (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &mask);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RootEvents() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    // The server's current time, from a property change of the test's own.
    uint32_t serverTime() {
        m_time = 0;
        xcb_change_property(m_x, XCB_PROP_MODE_APPEND, m_root, m_timeProperty, XCB_ATOM_STRING, 8,
                            0, nullptr);
        xcb_flush(m_x);
        waitUntil([&] { return m_time != 0; });
        return m_time;
    }
    // The startup notification messages seen so far, whole.
    QList<QByteArray> startupMessages() const { return m_messages; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t kind = event->response_type & 0x7f;
        if (kind == XCB_PROPERTY_NOTIFY) {
            const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
            if (change->atom == m_timeProperty)
                m_time = change->time;
        } else if (kind == XCB_CLIENT_MESSAGE) {
            collectStartupPiece(*static_cast<const xcb_client_message_event_t*>(message));
        }
        return false;
    }

private:
    void collectStartupPiece(const xcb_client_message_event_t& event) {
        if (event.type != m_startupBegin && event.type != m_startupMore)
            return;
        if (event.type == m_startupBegin)
            m_pending.clear();
        const auto* bytes = reinterpret_cast<const char*>(event.data.data8);
        const qsizetype end = std::find(bytes, bytes + 20, '\0') - bytes;
        m_pending += QByteArray(bytes, end);
        if (end < 20)
            m_messages << m_pending;
    }

    xcb_connection_t* m_x;
    xcb_window_t m_root;
    xcb_atom_t m_timeProperty, m_startupBegin, m_startupMore;
    uint32_t m_time = 0;
    QByteArray m_pending;
    QList<QByteArray> m_messages;
};

class WindowManager : public testing::TestWithParam<const char*> {};

// A second start, launched with a startup ID as a launcher does and without
// one as from a terminal, finds the window minimised on another desktop while
// the user works in another window; each time the window comes back to the
// user's desktop, restored and active, and a launch's busy cursor ends.
TEST_P(WindowManager, ASecondStartBringsBackTheMinimisedWindowOnTheCurrentDesktop) {
    ScopedHome home;
    const ChildProcess windowManager(GetParam(), {});
    ASSERT_TRUE(waitUntil(windowManagerRuns)) << "the window manager did not start";
    RootEvents events;
    ChildProcess first(PILEWATCH_EXECUTABLE, {});
    // The window once the window manager shows it; none while it is minimised.
    const QStringList shownWindow{"search", "--onlyvisible", "--name", "^Pilewatch$"};
    QString pilewatch;
    ASSERT_TRUE(waitUntil([&] { return !(pilewatch = xdotoolSays(shownWindow)).isEmpty(); }, 10000))
        << first.output();
    QWidget elsewhere;
    elsewhere.setWindowTitle("Elsewhere");
    elsewhere.resize(300, 200);

    for (const QByteArray& startupId :
         {"launcher-1-host-pilewatch-0_TIME" + QByteArray::number(events.serverTime()),
          QByteArray()}) {
        SCOPED_TRACE(startupId.isEmpty() ? "without a startup ID" : "with a startup ID");
        // As a pager asks the window manager.
        ASSERT_TRUE(xdotool({"set_desktop_for_window", pilewatch, "1"}));
        ASSERT_TRUE(xdotool({"windowminimize", pilewatch}));
        ASSERT_TRUE(waitUntil([&] { return xdotoolSays(shownWindow).isEmpty(); }))
            << "not minimised";
        elsewhere.show();
        elsewhere.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return elsewhere.isActiveWindow(); }));

        QElapsedTimer sinceStart;
        sinceStart.start();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!startupId.isEmpty())
            environment.insert("DESKTOP_STARTUP_ID", QString::fromUtf8(startupId));
        ChildProcess second(PILEWATCH_EXECUTABLE, {}, environment);
        const auto broughtBack = [&] {
            return xdotoolSays(shownWindow) == pilewatch &&
                   xdotoolSays({"getactivewindow"}) == pilewatch &&
                   xdotoolSays({"get_desktop_for_window", pilewatch}) ==
                       xdotoolSays({"get_desktop"});
        };
        EXPECT_TRUE(waitUntil(broughtBack, 5000))
            << "desktop " << xdotoolSays({"get_desktop_for_window", pilewatch}).toStdString()
            << "\n"
            << first.output();
        std::cout << GetParam() << ": window back after " << sinceStart.elapsed() << " ms\n";
        EXPECT_TRUE(second.succeeds(5000)) << second.output();
        if (!startupId.isEmpty()) {
            EXPECT_TRUE(waitUntil([&] {
                return events.startupMessages().contains("remove: ID=" + startupId);
            })) << "the launch's startup notification was not ended";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(X11, WindowManager, testing::Values(OPENBOX, XFWM4),
                         [](const testing::TestParamInfo<const char*>& wm) {
                             return QFileInfo(wm.param).fileName().toStdString();
                         });

} // namespace
