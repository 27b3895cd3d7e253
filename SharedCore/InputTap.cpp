#include "InputTap.h"

#include "LentKeys.h"
#include "VirtualKeyCodes.h"
#include "X11Connection.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <xcb/xinput.h>

// xcb's XKB header names a field "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {

// Every client sees the server's keycodes as evdev codes shifted by 8.
constexpr quint32 evdevOffset = 8;
// The family reports at most this many UTF-16 units per key.
constexpr qsizetype maxCharacterUnits = 4;

// The base of both taps: owns the connection, selects the raw events on the
// root window and hands each event that arrives to the subclass.
class RawEventTap : public InputTap {
public:
    ~RawEventTap() override { *m_alive = false; }

protected:
    // Opens the connection and asks for the given XInput raw events; check ok().
    // A thread without a Qt event loop (a plain std::thread) has nothing to
    // deliver events through, and gets no tap.
    explicit RawEventTap(quint32 rawEventMask) {
        if (!m_x.canObserveAndSynthesize())
            return;
        // Keys that a typist lent and did not live to give back are emptied
        // before anything is reported (see LentKeys.h).
        reclaimOrphanedKeys(m_x);
        if (!QAbstractEventDispatcher::instance() || !selectRawEvents(rawEventMask))
            return;
        m_opcode = m_x.inputOpcode();
        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_x.get()),
                                                       QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
    }

    // Call at the end of the subclass's constructor: events that arrived while
    // it was set up are already queued and would not wake the notifier.
    void startDelivery() {
        if (m_notifier)
            QMetaObject::invokeMethod(
                m_notifier.get(), [this] { drain(); }, Qt::QueuedConnection);
    }

    bool ok() const { return m_notifier != nullptr; }
    const XConnection& x() const { return m_x; }

    // The XInput event type of a raw event, or 0 for anything else.
    quint16 rawEventType(const xcb_generic_event_t& event) const {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC)
            return 0;
        const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        return generic.extension == m_opcode ? generic.event_type : 0;
    }

    // One event; the callback it triggers may destroy the tap.
    virtual void handle(const xcb_generic_event_t& event) = 0;
    // Called when the queue has run dry; true when it reported something and
    // so may have let more events in.
    virtual bool finishBurst() { return false; }

private:
    bool selectRawEvents(quint32 rawEventMask) {
        struct {
            xcb_input_event_mask_t head;
            quint32 mask;
        } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, rawEventMask};
        return !owned(xcb_request_check(m_x.get(), xcb_input_xi_select_events_checked(
                                                       m_x.get(), m_x.root(), 1, &selection.head)));
    }

    void drain() {
        const std::shared_ptr<bool> alive = m_alive;
        do {
            while (xcb_generic_event_t* next = xcb_poll_for_event(m_x.get())) {
                const XcbPtr<xcb_generic_event_t> event(next);
                handle(*event);
                if (!*alive)
                    return;
            }
        } while (finishBurst() && *alive);
        // A server that went away leaves the socket readable for ever.
        if (*alive && !m_x.ok())
            m_notifier->setEnabled(false);
    }

    XConnection m_x;
    quint8 m_opcode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class PointerTap final : public RawEventTap {
public:
    explicit PointerTap(std::function<void(QPointF)> onMove)
        : RawEventTap(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION), m_onMove(std::move(onMove)) {
        startDelivery();
    }
    using RawEventTap::ok;

private:
    // Raw motion also carries scrolling; only motion along the device's first
    // two axes (x and y) moves the pointer.
    void handle(const xcb_generic_event_t& event) override {
        if (rawEventType(event) != XCB_INPUT_RAW_MOTION)
            return;
        const auto& motion = reinterpret_cast<const xcb_input_raw_motion_event_t&>(event);
        if (motion.valuators_len > 0 && (*xcb_input_raw_button_press_valuator_mask(&motion) & 0b11))
            m_moved = true;
    }

    // Raw motion carries device deltas, not positions: ask where the pointer
    // is now, once per burst of motion.
    bool finishBurst() override {
        if (!m_moved)
            return false;
        m_moved = false;
        const auto pointer = owned(
            xcb_query_pointer_reply(x().get(), xcb_query_pointer(x().get(), x().root()), nullptr));
        if (!pointer)
            return false;
        m_onMove(QPointF(pointer->root_x, pointer->root_y));
        return true;
    }

    std::function<void(QPointF)> m_onMove;
    bool m_moved = false;
};

class KeyTap final : public RawEventTap {
public:
    explicit KeyTap(std::function<void(const KeyPress&)> onKey)
        : RawEventTap(XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS), m_onKey(std::move(onKey)),
          m_keyboard(x().get()) {
        m_ok = RawEventTap::ok() && m_keyboard.ok() && followKeyboard();
        startDelivery();
    }
    bool ok() const { return m_ok; }

private:
    // Asks the server to announce every change of the keyboard's state (so
    // characters follow Shift, Caps Lock and the layout group) and of its map.
    bool followKeyboard() {
        const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(x().get(), &xcb_xkb_id);
        if (!xkb || !xkb->present)
            return false;
        m_xkbEvent = xkb->first_event;
        constexpr quint16 events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                   XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        constexpr quint16 mapParts =
            XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
            XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
            XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        return !owned(xcb_request_check(
            x().get(),
            xcb_xkb_select_events_checked(x().get(), quint16(m_keyboard.deviceId()), events, 0,
                                          events, mapParts, mapParts, nullptr)));
    }

    void handle(const xcb_generic_event_t& event) override {
        if (rawEventType(event) == XCB_INPUT_RAW_KEY_PRESS)
            report(reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event).detail);
        else if ((event.response_type & 0x7f) == m_xkbEvent)
            followChange(event);
    }

    void followChange(const xcb_generic_event_t& event) {
        // Every XKB event has its own type in the second byte.
        switch (event.pad0) {
        case XCB_XKB_STATE_NOTIFY: {
            const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
            if (state.deviceID == m_keyboard.deviceId())
                xkb_state_update_mask(m_keyboard.state(), state.baseMods, state.latchedMods,
                                      state.lockedMods, quint32(state.baseGroup),
                                      quint32(state.latchedGroup), state.lockedGroup);
            break;
        }
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY:
            m_keyboard.reload(x().get());
            break;
        default:
            break;
        }
    }

    void report(quint32 keycode) {
        const quint16 keyCode = VirtualKeyCodes::fromEvdev(keycode - evdevOffset);
        QString characters;
        if (keyCode != VirtualKeyCodes::deleteKey && m_keyboard.ok())
            characters = charactersOf(keycode);
        m_onKey({characters, keyCode});
    }

    QString charactersOf(xkb_keycode_t keycode) const {
        char utf8[64];
        xkb_state_key_get_utf8(m_keyboard.state(), keycode, utf8, sizeof utf8);
        QString characters = QString::fromUtf8(utf8);
        if (characters.size() > maxCharacterUnits) {
            characters.truncate(maxCharacterUnits);
            if (characters.back().isHighSurrogate())
                characters.chop(1);
        }
        return characters;
    }

    std::function<void(const KeyPress&)> m_onKey;
    XkbKeyboard m_keyboard;
    quint8 m_xkbEvent = 0;
    bool m_ok = false;
};

template <class Tap, class Callback> std::unique_ptr<InputTap> open(Callback callback) {
    auto tap = std::make_unique<Tap>(std::move(callback));
    if (!tap->ok())
        return nullptr;
    return tap;
}

} // namespace

std::unique_ptr<InputTap> InputTap::pointer(std::function<void(QPointF)> onMove) {
    return open<PointerTap>(std::move(onMove));
}

std::unique_ptr<InputTap> InputTap::keyboard(std::function<void(const KeyPress&)> onKey) {
    return open<KeyTap>(std::move(onKey));
}

bool inputTrusted() {
    return XConnection().canObserveAndSynthesize();
}
