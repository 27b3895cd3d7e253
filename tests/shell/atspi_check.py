#!/usr/bin/python3
"""Usage: atspi_check.py texts NAME TIMEOUT TEXT...
       atspi_check.py sidebar TIMEOUT

Reads and drives the running Pilewatch over AT-SPI, as Orca and other
assistive technology do. Prints "listening" once the registry listens, then:

texts    waits until every TEXT can be read under the window named NAME,
         whether its application lists it or (a popup) the keyboard focus
         lands in it.
sidebar  selects the main window's sidebar rows through the accessibility
         interfaces and with the rows' own action, then steps on with real
         clicks and arrow-key presses; after every step exactly one row must be selected
         and the page beside the sidebar must be the selected row's. Prints a
         line per step.

Exits 0 when every check held, 1 otherwise (or at the deadline)."""

import sys
import time

import pyatspi
from gi.repository import GLib

SETTLE = 0.5  # seconds given to a request that must change nothing
KEY_DOWN, KEY_UP = 0xFF54, 0xFF52  # X keysyms


def children(node):
    return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c]


def find(node, role, name=None):
    if node.getRole() == role and (name is None or node.name == name):
        return node
    return next((f for f in (find(c, role, name) for c in children(node)) if f), None)


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
        time.sleep(0.2)


# texts

focused_windows = []


def on_focus(event):
    """Remembers the window (the ancestor just below the application) that focus lands in."""
    node = event.source if event.detail1 else None
    while node and node.parent and node.parent.getRole() != pyatspi.ROLE_APPLICATION:
        node = node.parent
    if node:
        focused_windows.insert(0, node)


def readable_texts(node):
    texts = [node.name, node.description]
    try:
        text = node.queryText()
        texts.append(text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    return [t for t in texts if t] + [t for c in children(node) for t in readable_texts(c)]


def shown_texts(name):
    pump()
    try:
        apps = children(pyatspi.Registry.getDesktop(0))
        windows = [w for app in apps for w in children(app)] + focused_windows
        window = next((w for w in windows if w.name == name), None)
        if window is None:
            return [f"<no window named {name!r} yet>"]
        window.clear_cache()  # names change with every scan: read them fresh
        return readable_texts(window)
    except Exception as error:  # the tree changes while it is read; try again
        return [f"<error while reading: {error}>"]


def check_texts(name, timeout, expected):
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    print("listening", flush=True)
    deadline = time.monotonic() + timeout
    shown = shown_texts(name)
    while any(t not in shown for t in expected) and time.monotonic() < deadline:
        time.sleep(0.2)
        shown = shown_texts(name)
    missing = [t for t in expected if t not in shown]
    print(*(f"missing: {t!r}" for t in missing), "readable:", *shown, sep="\n  ")
    return 1 if missing else 0


# sidebar

class Window:
    """The Pilewatch frame: its sidebar list and the page shown beside it."""

    def __init__(self, frame):
        self.split = find(frame, pyatspi.ROLE_SPLIT_PANE)
        self.sidebar = find(frame, pyatspi.ROLE_LIST, "Sidebar")
        self.rows = {row.name: row for row in children(self.sidebar)}
        self.failures = []

    def state(self):
        for node in [self.split] + children(self.sidebar):
            node.clear_cache()
        selected = [r.name for r in children(self.sidebar)
                    if r.getState().contains(pyatspi.STATE_SELECTED)]
        pages = [c.name for c in children(self.split) if c.getRole() == pyatspi.ROLE_FILLER]
        return selected, pages[0] if len(pages) == 1 else f"<{len(pages)} pages>"

    def expect(self, step, title, settle=False):
        """Waits until only title's row is selected and its page shown (or, with
        settle, gives the app a moment and then requires it)."""
        wanted = ([title], title)
        if settle:
            time.sleep(SETTLE)
            pump()
        else:
            wait_for(lambda: self.state() == wanted, 5)
        seen = self.state()
        print(f"{'ok  ' if seen == wanted else 'FAIL'} {step}: selected {seen[0]}, page {seen[1]!r}",
              flush=True)
        if seen != wanted:
            self.failures.append(step)

    def request(self, name, selected=True):
        """Asks for a row to be selected (or deselected) the way assistive
        technology does: through the Selection interface where the toolkit
        offers it, else through the table's row selection."""
        index = self.rows[name].getIndexInParent()
        try:
            selection = self.sidebar.querySelection()
            (selection.selectChild if selected else selection.deselectChild)(index)
        except NotImplementedError:
            table = self.sidebar.queryTable()
            (table.addRowSelection if selected else table.removeRowSelection)(index)

    def do_first_action(self, name):
        action = self.rows[name].queryAction()
        action.doAction(0)
        return action.getName(0)

    def click(self, name):
        """A real pointer click on the row, which also gives the window the keyboard."""
        extents = self.rows[name].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
        pyatspi.Registry.generateMouseEvent(x, y, pyatspi.MOUSE_B1C)


def pilewatch_window():
    for app in children(pyatspi.Registry.getDesktop(0)):
        frame = find(app, pyatspi.ROLE_FRAME, "Pilewatch")
        if frame and find(frame, pyatspi.ROLE_LIST, "Sidebar"):
            return Window(frame)
    return None


def check_sidebar(timeout):
    pyatspi.Registry.getDesktop(0)  # starts the registry before the app registers
    print("listening", flush=True)
    window = wait_for(pilewatch_window, timeout)
    if window is None:
        print("FAIL no Pilewatch window with a sidebar")
        return 1
    window.expect("opens on the Dashboard", "Dashboard")

    # Selection requests, as voice control and screen-reader commands send them.
    for title in ("Cleanup", "Files", "Dashboard", "Cleanup"):
        window.request(title)
        window.expect(f"select {title}", title)
    window.request("Actions")
    window.expect("select the Actions header", "Cleanup", settle=True)
    window.request("Cleanup", selected=False)
    window.expect("deselect the only selected row", "Cleanup", settle=True)

    # The row's own action.
    name = window.do_first_action("Files")
    window.expect(f"{name} action on Files", "Files")
    window.do_first_action("Files")
    window.expect(f"{name} action on the selected row again", "Files", settle=True)
    window.do_first_action("Overview")
    window.expect(f"{name} action on the Overview header", "Files", settle=True)

    # The arrow keys go on from the row selected last, whatever selected it.
    window.click("Dashboard")
    window.expect("click Dashboard", "Dashboard")
    window.request("Cleanup")
    window.expect("select Cleanup", "Cleanup")
    for key, title in ((KEY_UP, "Files"), (KEY_DOWN, "Cleanup")):
        pyatspi.Registry.generateKeyboardEvent(key, None, pyatspi.KEY_SYM)
        window.expect(f"{'Down' if key == KEY_DOWN else 'Up'} to {title}", title)
    return 1 if window.failures else 0


if sys.argv[1] == "texts":
    sys.exit(check_texts(sys.argv[2], float(sys.argv[3]), sys.argv[4:]))
sys.exit(check_sidebar(float(sys.argv[2])))
