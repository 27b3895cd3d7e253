#include "SyntheticTyping.h"

#include "LentKeys.h"
#include "X11Connection.h"

#include <QList>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <xcb/xtest.h>

namespace SyntheticTyping {
namespace {

using namespace std::chrono_literals;

// The pause after each character.
constexpr auto characterGap = 10ms;
// How long a borrowed key keeps its character after its last press before the
// keymap is put back: an application reads the changed keymap only when it
// gets to the key event, and must still find the borrowed character then. One
// that is busy for longer sees the key as typing nothing.
constexpr auto settleTime = 100ms;

// How to produce one keysym with the keymap as it is: a key, with or without Shift.
struct Stroke {
    xcb_keycode_t keycode;
    bool shift;
};

// Presses keys through XTest for one call of type().
class Typist {
public:
    // The keymap is read at the moment the record of lent keys is, so a key
    // another typist lent is never taken for a character's own key.
    explicit Typist(const XConnection& x)
        : m_x(x), m_lender(x), m_keyboard(m_lender.survey([&] { return XkbKeyboard(x.get()); })),
          m_shiftKey(m_keyboard.ok() ? findKey(m_keyboard.state(), XKB_KEY_Shift_L)
                                     : std::nullopt) {
        if (m_keyboard.ok())
            m_shifted.reset(stateWithShift());
    }

    bool ok() const { return m_keyboard.ok() && m_shifted; }

    // Types every code point of one character, then pauses.
    void typeCharacter(QStringView character) {
        for (const char32_t codePoint : character.toUcs4())
            typeSymbol(symbolFor(codePoint));
        xcb_flush(m_x.get());
        m_x.sync();
        std::this_thread::sleep_for(characterGap);
    }

    // Lets the last borrowed characters arrive, then empties every lent key,
    // so the user's keymap is what it was before.
    void finish() {
        if (!m_lender.holdsAny())
            return;
        std::this_thread::sleep_for(settleTime);
        m_lender.giveBackAll();
    }

private:
    static xkb_keysym_t symbolFor(char32_t codePoint) {
        // A line feed means Enter where text is typed.
        if (codePoint == U'\n')
            return XKB_KEY_Return;
        return xkb_utf32_to_keysym(codePoint);
    }

    // Characters the keymap has are typed with their own key (so applications
    // see a real key); the rest through a borrowed spare key; a character that
    // neither can produce is skipped.
    void typeSymbol(xkb_keysym_t symbol) {
        if (symbol == XKB_KEY_NoSymbol)
            return;
        if (const std::optional<Stroke> stroke = strokeFor(symbol)) {
            press(*stroke);
        } else if (const std::optional<xcb_keycode_t> key = lend(symbol)) {
            press({*key, false});
        }
    }

    // A spare key that types symbol; when this call holds every spare key
    // that is not lent elsewhere, it gives them all back and starts again.
    std::optional<xcb_keycode_t> lend(xkb_keysym_t symbol) {
        if (const std::optional<xcb_keycode_t> key = m_lender.lend(symbol))
            return key;
        if (!m_lender.holdsAny())
            return std::nullopt;
        finish();
        return m_lender.lend(symbol);
    }

    std::optional<Stroke> strokeFor(xkb_keysym_t symbol) const {
        if (const std::optional<xcb_keycode_t> key = findKey(m_keyboard.state(), symbol))
            return Stroke{*key, false};
        if (!m_shiftKey)
            return std::nullopt;
        if (const std::optional<xcb_keycode_t> key = findKey(m_shifted.get(), symbol))
            return Stroke{*key, true};
        return std::nullopt;
    }

    // The key that types symbol in the given state (the user's current
    // modifiers, Caps Lock and layout included).
    std::optional<xcb_keycode_t> findKey(xkb_state* state, xkb_keysym_t symbol) const {
        xkb_keymap* keymap = m_keyboard.keymap();
        const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap), 255);
        for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= last; ++key) {
            if (!m_lender.wasLent(key) && xkb_state_key_get_one_sym(state, key) == symbol)
                return xcb_keycode_t(key);
        }
        return std::nullopt;
    }

    // The current state with Shift held as well.
    xkb_state* stateWithShift() const {
        xkb_state* current = m_keyboard.state();
        const xkb_mod_index_t shift =
            xkb_keymap_mod_get_index(m_keyboard.keymap(), XKB_MOD_NAME_SHIFT);
        xkb_state* shifted = xkb_state_new(m_keyboard.keymap());
        if (!shifted || shift == XKB_MOD_INVALID)
            return shifted;
        xkb_state_update_mask(
            shifted, xkb_state_serialize_mods(current, XKB_STATE_MODS_DEPRESSED) | (1u << shift),
            xkb_state_serialize_mods(current, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(current, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(current, XKB_STATE_LAYOUT_DEPRESSED),
            xkb_state_serialize_layout(current, XKB_STATE_LAYOUT_LATCHED),
            xkb_state_serialize_layout(current, XKB_STATE_LAYOUT_LOCKED));
        return shifted;
    }

    void press(const Stroke& stroke) {
        if (stroke.shift)
            fake(XCB_KEY_PRESS, *m_shiftKey);
        fake(XCB_KEY_PRESS, stroke.keycode);
        fake(XCB_KEY_RELEASE, stroke.keycode);
        if (stroke.shift)
            fake(XCB_KEY_RELEASE, *m_shiftKey);
    }

    void fake(quint8 type, xcb_keycode_t key) {
        xcb_test_fake_input(m_x.get(), type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    struct FreeState {
        void operator()(xkb_state* state) const { xkb_state_unref(state); }
    };

    const XConnection& m_x;
    KeyLender m_lender;
    XkbKeyboard m_keyboard;
    std::optional<xcb_keycode_t> m_shiftKey;
    std::unique_ptr<xkb_state, FreeState> m_shifted;
};

} // namespace

void type(const QString& text) {
    if (text.isEmpty())
        return;
    const XConnection x;
    if (!x.canObserveAndSynthesize())
        return;
    Typist typist(x);
    if (!typist.ok())
        return;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (characters.toNextBoundary() > 0) {
        const qsizetype end = characters.position();
        typist.typeCharacter(QStringView(text).sliced(start, end - start));
        start = end;
    }
    typist.finish();
}

} // namespace SyntheticTyping
