#include "SyntheticTyping.h"

#include "X11Connection.h"

#include <QList>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>
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

// The keys that carry no symbol at all in the core keyboard mapping. Characters
// the keymap lacks are typed by lending such a key the character for a moment;
// finish() (or the destructor) gives every lent key its empty mapping back, so
// the user's keymap is what it was before.
class SpareKeys {
public:
    explicit SpareKeys(const XConnection& x) : m_x(x) {
        const xcb_setup_t* setup = xcb_get_setup(x.get());
        const int count = setup->max_keycode - setup->min_keycode + 1;
        const auto mapping = owned(xcb_get_keyboard_mapping_reply(
            x.get(), xcb_get_keyboard_mapping(x.get(), setup->min_keycode, quint8(count)),
            nullptr));
        if (!mapping || mapping->keysyms_per_keycode == 0)
            return;
        m_symbolsPerKey = mapping->keysyms_per_keycode;
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
        for (int key = 0; key < count; ++key) {
            const xcb_keysym_t* first = symbols + key * m_symbolsPerKey;
            if (std::all_of(first, first + m_symbolsPerKey, [](xcb_keysym_t s) { return s == 0; }))
                m_spare.push_back(xcb_keycode_t(setup->min_keycode + key));
        }
    }
    ~SpareKeys() { finish(); }
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;

    // A key that types symbol on every level; absent when there is no spare key.
    std::optional<xcb_keycode_t> lend(xkb_keysym_t symbol) {
        const auto lent =
            std::ranges::find(m_lent, symbol, &std::pair<xkb_keysym_t, xcb_keycode_t>::first);
        if (lent != m_lent.end())
            return lent->second;
        if (m_spare.empty())
            return std::nullopt;
        if (m_lent.size() == m_spare.size())
            finish();
        const xcb_keycode_t key = m_spare[m_lent.size()];
        map(key, symbol);
        m_lent.emplace_back(symbol, key);
        return key;
    }

    // Lets the last borrowed characters arrive, then empties every lent key.
    void finish() {
        if (m_lent.empty())
            return;
        std::this_thread::sleep_for(settleTime);
        for (const auto& [symbol, key] : m_lent)
            map(key, 0);
        m_lent.clear();
        m_x.sync();
    }

private:
    void map(xcb_keycode_t key, xkb_keysym_t symbol) {
        std::vector<xcb_keysym_t> symbols(m_symbolsPerKey, 0);
        if (symbol != 0)
            std::fill_n(symbols.begin(), std::min<int>(2, m_symbolsPerKey), symbol);
        xcb_change_keyboard_mapping(m_x.get(), 1, key, m_symbolsPerKey, symbols.data());
    }

    const XConnection& m_x;
    quint8 m_symbolsPerKey = 0;
    std::vector<xcb_keycode_t> m_spare;
    std::vector<std::pair<xkb_keysym_t, xcb_keycode_t>> m_lent;
};

// Presses keys through XTest for one call of type().
class Typist {
public:
    explicit Typist(const XConnection& x)
        : m_x(x), m_keyboard(x.get()), m_spares(x),
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

    void finish() { m_spares.finish(); }

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
        } else if (const std::optional<xcb_keycode_t> key = m_spares.lend(symbol)) {
            press({*key, false});
        }
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
            if (xkb_state_key_get_one_sym(state, key) == symbol)
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
    XkbKeyboard m_keyboard;
    SpareKeys m_spares;
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
