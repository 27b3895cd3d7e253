#include "LentKeys.h"

#include <QByteArray>
#include <algorithm>
#include <span>

namespace {

const QByteArray recordName = QByteArrayLiteral("_PILEWATCH_FAMILY_LENT_KEYS");

xcb_atom_t intern(const XConnection& x, const QByteArray& name) {
    const auto reply = owned(xcb_intern_atom_reply(
        x.get(), xcb_intern_atom(x.get(), 0, quint16(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The selection a typist owns while it holds key.
xcb_atom_t loanSelection(const XConnection& x, xcb_keycode_t key) {
    return intern(x, QByteArrayLiteral("_PILEWATCH_FAMILY_LENT_KEY_") + QByteArray::number(key));
}

bool hasOwner(const XConnection& x, xcb_keycode_t key) {
    const auto reply = owned(xcb_get_selection_owner_reply(
        x.get(), xcb_get_selection_owner(x.get(), loanSelection(x, key)), nullptr));
    return reply && reply->owner != XCB_NONE;
}

bool isKeycode(const XConnection& x, quint32 value) {
    const xcb_setup_t* setup = xcb_get_setup(x.get());
    return value >= setup->min_keycode && value <= setup->max_keycode;
}

// The loans on record. Pairs whose keycode no key has are not loans.
std::vector<Loan> readRecord(const XConnection& x) {
    // In 32-bit units: far more than two for each of the 248 keycodes.
    constexpr quint32 longest = 1024;
    const auto reply =
        owned(xcb_get_property_reply(x.get(),
                                     xcb_get_property(x.get(), 0, x.root(), intern(x, recordName),
                                                      XCB_ATOM_CARDINAL, 0, longest),
                                     nullptr));
    std::vector<Loan> record;
    if (!reply || reply->format != 32)
        return record;
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i + 1 < count; i += 2) {
        if (isKeycode(x, values[i]))
            record.push_back({xcb_keycode_t(values[i]), values[i + 1]});
    }
    return record;
}

// An empty record leaves no property behind.
void writeRecord(const XConnection& x, const std::vector<Loan>& record) {
    const xcb_atom_t name = intern(x, recordName);
    if (record.empty()) {
        xcb_delete_property(x.get(), x.root(), name);
        return;
    }
    std::vector<quint32> values;
    for (const Loan& loan : record)
        values.insert(values.end(), {loan.key, loan.symbol});
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, x.root(), name, XCB_ATOM_CARDINAL, 32,
                        quint32(values.size()), values.data());
}

bool onRecord(const std::vector<Loan>& record, xcb_keycode_t key) {
    return std::ranges::find(record, key, &Loan::key) != record.end();
}

// The core keyboard mapping of a run of keys.
struct KeyMapping {
    xcb_keycode_t first = 0;
    quint8 perKey = 0;
    std::vector<xcb_keysym_t> symbols;

    std::span<const xcb_keysym_t> of(xcb_keycode_t key) const {
        const std::size_t start = std::size_t(key - first) * perKey;
        if (key < first || start + perKey > symbols.size())
            return {};
        return std::span(symbols).subspan(start, perKey);
    }
};

KeyMapping readMapping(const XConnection& x, xcb_keycode_t first, int count) {
    const auto reply = owned(xcb_get_keyboard_mapping_reply(
        x.get(), xcb_get_keyboard_mapping(x.get(), first, quint8(count)), nullptr));
    KeyMapping mapping{first, 0, {}};
    if (!reply)
        return mapping;
    mapping.perKey = reply->keysyms_per_keycode;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply.get());
    mapping.symbols.assign(symbols, symbols + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
    return mapping;
}

// Gives key symbol on its first two levels, or nothing at all for symbol 0.
void setMapping(const XConnection& x, xcb_keycode_t key, quint8 perKey, xkb_keysym_t symbol) {
    std::vector<xcb_keysym_t> symbols(perKey, 0);
    if (symbol != 0)
        std::fill_n(symbols.begin(), std::min<int>(2, perKey), symbol);
    xcb_change_keyboard_mapping(x.get(), 1, key, perKey, symbols.data());
}

// Empties a lent key, unless it types anything but its lent character by now
// (a keymap loaded meanwhile gave it a meaning of its own). The server may
// spread the character over more levels than it was lent on.
void giveBack(const XConnection& x, const Loan& loan) {
    const KeyMapping mapping = readMapping(x, loan.key, 1);
    const std::span<const xcb_keysym_t> symbols = mapping.of(loan.key);
    const bool asLent =
        std::ranges::find(symbols, loan.symbol) != symbols.end() &&
        std::ranges::all_of(symbols, [&](xcb_keysym_t s) { return s == 0 || s == loan.symbol; });
    if (asLent)
        setMapping(x, loan.key, mapping.perKey, 0);
}

// With the server held still: gives back the orphaned loans and strikes them
// off; gives the loans that remain.
std::vector<Loan> reclaimWhileHeld(const XConnection& x) {
    const std::vector<Loan> record = readRecord(x);
    std::vector<Loan> live;
    for (const Loan& loan : record) {
        if (hasOwner(x, loan.key))
            live.push_back(loan);
        else
            giveBack(x, loan);
    }
    if (live.size() != record.size())
        writeRecord(x, live);
    return live;
}

} // namespace

ServerGrab::ServerGrab(const XConnection& x) : m_x(x) {
    xcb_grab_server(x.get());
}

ServerGrab::~ServerGrab() {
    xcb_ungrab_server(m_x.get());
    xcb_flush(m_x.get());
}

KeyLender::KeyLender(const XConnection& x) : m_x(x) {
    // Owns the loans' selections: never shown, gone with the connection.
    m_owner = xcb_generate_id(x.get());
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, m_owner, x.root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
}

KeyLender::~KeyLender() {
    giveBackAll();
    xcb_destroy_window(m_x.get(), m_owner);
    xcb_flush(m_x.get());
}

bool KeyLender::wasLent(xcb_keycode_t key) const {
    return onRecord(m_surveyed, key);
}

void KeyLender::noteLoans() {
    m_surveyed = reclaimWhileHeld(m_x);
}

std::optional<xcb_keycode_t> KeyLender::lend(xkb_keysym_t symbol) {
    if (const auto held = std::ranges::find(m_loans, symbol, &Loan::symbol); held != m_loans.end())
        return held->key;
    const xcb_setup_t* setup = xcb_get_setup(m_x.get());
    const ServerGrab grab(m_x);
    std::vector<Loan> record = readRecord(m_x);
    const KeyMapping keymap =
        readMapping(m_x, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1);
    const auto spare = [&](int key) {
        const std::span<const xcb_keysym_t> symbols = keymap.of(xcb_keycode_t(key));
        return !symbols.empty() && std::ranges::all_of(symbols, [](auto s) { return s == 0; }) &&
               !onRecord(record, xcb_keycode_t(key));
    };
    int key = setup->min_keycode;
    while (key <= setup->max_keycode && !spare(key))
        ++key;
    if (key > setup->max_keycode)
        return std::nullopt;
    // Owner first, then the record, then the key: a typist that dies anywhere
    // in between leaves a loan that the next one can tell from the user's keys.
    const Loan loan{xcb_keycode_t(key), symbol};
    xcb_set_selection_owner(m_x.get(), m_owner, loanSelection(m_x, loan.key), XCB_CURRENT_TIME);
    record.push_back(loan);
    writeRecord(m_x, record);
    setMapping(m_x, loan.key, keymap.perKey, symbol);
    m_loans.push_back(loan);
    return loan.key;
}

void KeyLender::giveBackAll() {
    if (m_loans.empty())
        return;
    {
        const ServerGrab grab(m_x);
        std::vector<Loan> record = readRecord(m_x);
        for (const Loan& loan : m_loans) {
            giveBack(m_x, loan);
            xcb_set_selection_owner(m_x.get(), XCB_NONE, loanSelection(m_x, loan.key),
                                    XCB_CURRENT_TIME);
            std::erase_if(record, [&](const Loan& entry) { return entry.key == loan.key; });
        }
        writeRecord(m_x, record);
    }
    m_loans.clear();
    m_x.sync();
}

void reclaimOrphanedKeys(const XConnection& x) {
    const ServerGrab grab(x);
    reclaimWhileHeld(x);
}
