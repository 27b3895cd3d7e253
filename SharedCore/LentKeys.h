#pragma once

// Private to the library: the spare keys that synthetic typing lends to
// characters the keymap lacks, written down on the X server so that every
// process of the family sees them.
//
// A loan is recorded before the key changes, in two places:
// - the root window's property _PILEWATCH_FAMILY_LENT_KEYS lists every loan
//   as a pair of 32-bit numbers, the keycode and the keysym it was lent;
// - while the loan lasts, the lender's connection owns the selection
//   _PILEWATCH_FAMILY_LENT_KEY_<keycode> through a window of its own. The
//   server drops that ownership when the connection closes, however its
//   process ended.
// A recorded loan whose selection has no owner is orphaned: its typist died
// before giving the key back. The next typist or tap to start, in any process,
// gives it back first: the key is emptied again if it still types nothing but
// its lent character (a keymap loaded meanwhile is kept), and the loan is
// struck off. Only keys that typed nothing at all are lent. The record is read and changed only
// while the server is held still, so two processes typing at once never take each other's keys.

#include "X11Connection.h"

#include <optional>
#include <vector>

// Keeps every other client of the X server waiting for the life of the
// object, so that what this connection reads and then writes is one step for
// them. Keep it short: the whole desktop waits meanwhile.
class ServerGrab {
public:
    explicit ServerGrab(const XConnection& x);
    ~ServerGrab();
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    const XConnection& m_x;
};

// One spare key lent one character.
struct Loan {
    xcb_keycode_t key;
    xkb_keysym_t symbol;
};

// The loans of one typist, on its connection.
class KeyLender {
public:
    explicit KeyLender(const XConnection& x);
    // Gives back whatever is still lent, at once.
    ~KeyLender();
    KeyLender(const KeyLender&) = delete;
    KeyLender& operator=(const KeyLender&) = delete;

    // Gives back the keys of typists that are gone, notes the keys that live
    // typists hold, and runs look while the server is held still: what look
    // reads of the keymap belongs to the same moment as wasLent().
    template <class Look> auto survey(Look look) {
        const ServerGrab grab(m_x);
        noteLoans();
        return look();
    }
    // Whether the key was lent to a character at the last survey(): it is no
    // character's own key.
    bool wasLent(xcb_keycode_t key) const;

    // A key that types symbol on its first two levels: the one this lender
    // already lent it, else a spare key that nobody holds. Absent when every
    // spare key is taken.
    std::optional<xcb_keycode_t> lend(xkb_keysym_t symbol);
    bool holdsAny() const { return !m_loans.empty(); }
    // Empties every key this lender holds and strikes its loans off.
    void giveBackAll();

private:
    void noteLoans();

    const XConnection& m_x;
    xcb_window_t m_owner = XCB_NONE;
    std::vector<Loan> m_loans;
    std::vector<Loan> m_surveyed;
};

// Gives back the keys of typists that are gone (see above).
void reclaimOrphanedKeys(const XConnection& x);
