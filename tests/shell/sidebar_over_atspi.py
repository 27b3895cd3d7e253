#!/usr/bin/python3
"""Usage: sidebar_over_atspi.py TIMEOUT

Drives the sidebar of the running Pilewatch window over AT-SPI as assistive
technology and a user would: selecting rows through the accessibility
interfaces, clicking them (the row's own action and a real pointer click) and
stepping with the arrow keys (real key presses). After every step exactly one
row must be selected and the page beside the sidebar must be the selected
row's. Prints "listening" once the registry listens, a line per step, and exits
0 when every step held, 1 otherwise."""

import sys
import time

import pyatspi
from gi.repository import GLib

SETTLE = 0.5  # seconds given to a request that must change nothing
KEY_DOWN, KEY_UP = 0xFF54, 0xFF52  # X keysyms

failures = []


def children(node):
    return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c]


def find(node, role, name=None):
    if node.getRole() == role and (name is None or node.name == name):
        return node
    for child in children(node):
        found = find(child, role, name)
        if found:
            return found
    return None


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(check, timeout):
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            result = check()
        except Exception:  # the tree changes while it is read; try again
            result = None
        if result or time.monotonic() >= deadline:
            return result
        time.sleep(0.1)


class Window:
    """The Pilewatch frame: its sidebar list and the page shown beside it."""

    def __init__(self, frame):
        self.frame = frame
        self.split = find(frame, pyatspi.ROLE_SPLIT_PANE)
        self.sidebar = find(frame, pyatspi.ROLE_LIST, "Sidebar")
        self.rows = {row.name: row for row in children(self.sidebar)}

    def selected(self):
        names = []
        for row in children(self.sidebar):
            row.clear_cache()
            if row.getState().contains(pyatspi.STATE_SELECTED):
                names.append(row.name)
        return names

    def page(self):
        self.split.clear_cache()
        pages = [c.name for c in children(self.split) if c.getRole() == pyatspi.ROLE_FILLER]
        return pages[0] if len(pages) == 1 else f"<{len(pages)} pages>"

    def state(self):
        return self.selected(), self.page()

    def expect(self, step, title, settle=False):
        """Waits until only title's row is selected and its page shown (or, with
        settle, gives the app a moment and then requires it)."""
        wanted = ([title], title)
        if settle:
            time.sleep(SETTLE)
            pump()
            seen = self.state()
        else:
            seen = wait_for(lambda: self.state() == wanted and self.state(), 5) or self.state()
        ok = seen == wanted
        print(f"{'ok  ' if ok else 'FAIL'} {step}: selected {seen[0]}, page {seen[1]!r}", flush=True)
        if not ok:
            failures.append(step)


def request(window, name, selected=True):
    """Asks for a row to be selected (or deselected) the way assistive
    technology does: through the Selection interface where the toolkit offers
    it, else through the table's row selection."""
    index = window.rows[name].getIndexInParent()
    try:
        selection = window.sidebar.querySelection()
        (selection.selectChild if selected else selection.deselectChild)(index)
    except NotImplementedError:
        table = window.sidebar.queryTable()
        (table.addRowSelection if selected else table.removeRowSelection)(index)


def do_first_action(window, name):
    action = window.rows[name].queryAction()
    action.doAction(0)
    return action.getName(0)


def click(window, name):
    extents = window.rows[name].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
    pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)


def press(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)


def main():
    timeout = float(sys.argv[1])
    pyatspi.Registry.getDesktop(0)  # starts the registry before the app registers
    print("listening", flush=True)

    def pilewatch():
        for app in children(pyatspi.Registry.getDesktop(0)):
            frame = find(app, pyatspi.ROLE_FRAME, "Pilewatch")
            if frame and find(frame, pyatspi.ROLE_LIST, "Sidebar"):
                return Window(frame)
        return None

    window = wait_for(pilewatch, timeout)
    if window is None:
        print("FAIL no Pilewatch window with a sidebar")
        return 1
    window.expect("opens on the Dashboard", "Dashboard")

    # Selection requests, as voice control and screen-reader commands send them.
    for title in ("Cleanup", "Files", "Dashboard", "Cleanup"):
        request(window, title)
        window.expect(f"select {title}", title)
    request(window, "Actions")
    window.expect("select the Actions header", "Cleanup", settle=True)
    request(window, "Cleanup", selected=False)
    window.expect("deselect the only selected row", "Cleanup", settle=True)

    # The row's own action, then real clicks.
    name = do_first_action(window, "Files")
    window.expect(f"{name} action on Files", "Files")
    do_first_action(window, "Files")
    window.expect(f"{name} action on the selected row again", "Files", settle=True)
    do_first_action(window, "Overview")
    window.expect(f"{name} action on the Overview header", "Files", settle=True)
    for title in ("Dashboard", "Files"):
        click(window, title)
        window.expect(f"click {title}", title)
    click(window, "Actions")
    window.expect("click the Actions header", "Files", settle=True)

    # The arrow keys go on from the row selected last, whatever selected it,
    # step over the headers and stop at the ends.
    request(window, "Cleanup")
    window.expect("select Cleanup", "Cleanup")
    for key, title, stays in ((KEY_UP, "Files", False), (KEY_DOWN, "Cleanup", False),
                              (KEY_DOWN, "Cleanup", True), (KEY_UP, "Files", False),
                              (KEY_UP, "Dashboard", False), (KEY_UP, "Dashboard", True)):
        press(key)
        window.expect(f"{'Down' if key == KEY_DOWN else 'Up'} to {title}", title, settle=stays)
    return 1 if failures else 0


sys.exit(main())
