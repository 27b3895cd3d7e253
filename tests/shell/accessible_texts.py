#!/usr/bin/python3
"""Waits until a running application shows every expected text to screen
readers over AT-SPI, the way Orca reads it: accessible names, descriptions and
text contents of every object under one of the application's windows.

Usage:
  accessible_texts.py --pid PID --window NAME [--timeout S] TEXT...
      reads the application's window named NAME;
  accessible_texts.py --focused-window NAME [--timeout S] TEXT...
      for popups, which toolkits leave out of the application's list of
      windows: starts listening for keyboard focus, prints "listening", reads
      the application's process id from standard input, then reads the window
      named NAME that focus lands in.

Exits 0 once every TEXT is found. Exits 1 at the deadline, listing the texts
still missing and everything that was readable.
"""

import argparse
import sys
import time

import pyatspi
from gi.repository import GLib


def texts_of(node):
    """The texts a screen reader can speak for one accessible object."""
    found = [node.name or "", node.description or ""]
    try:
        text = node.queryText()
        found.append(text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    return [t for t in found if t]


def readable_texts(root):
    texts = []
    pending = [root]
    while pending:
        node = pending.pop()
        texts.extend(texts_of(node))
        pending.extend(c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c)
    return texts


def application_windows(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
        if app is not None and app.get_process_id() == pid:
            return [w for w in (app.getChildAtIndex(i) for i in range(app.childCount)) if w]
    return []


def top_level(node):
    """The window an object lies in: its ancestor just below the application."""
    while node is not None:
        parent = node.parent
        if parent is None or parent.getRole() == pyatspi.ROLE_APPLICATION:
            return node
        node = parent
    return None


class FocusWatcher:
    """Remembers the windows that keyboard focus lands in."""

    def __init__(self):
        self.windows = []
        pyatspi.Registry.registerEventListener(self._on_focus, "object:state-changed:focused")

    def _on_focus(self, event):
        if event.detail1:
            self.windows.append(top_level(event.source))

    def window(self, pid, name):
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        return next((w for w in reversed(self.windows)
                     if w is not None and w.get_process_id() == pid and w.name == name), None)


def missing_texts(find_window, window_name, expected):
    """The expected texts the window does not show yet, and all it shows."""
    try:
        window = find_window()
        if window is None:
            return list(expected), [f"<no window named {window_name!r} yet>"]
        # Names change with every scan: read them fresh on every pass.
        window.clear_cache()
        shown = readable_texts(window)
    except Exception as error:  # the tree changes while it is read; try again
        return list(expected), [f"<error while reading: {error}>"]
    return [t for t in expected if t not in shown], shown


def main():
    parser = argparse.ArgumentParser()
    target = parser.add_mutually_exclusive_group(required=True)
    target.add_argument("--window")
    target.add_argument("--focused-window")
    parser.add_argument("--pid", type=int)
    parser.add_argument("--timeout", type=float, default=20.0)
    parser.add_argument("expected", nargs="+")
    args = parser.parse_args()

    if args.focused_window:
        name = args.focused_window
        watcher = FocusWatcher()
        print("listening", flush=True)
        pid = int(sys.stdin.readline())
        find_window = lambda: watcher.window(pid, name)
    else:
        name, pid = args.window, args.pid
        find_window = lambda: next((w for w in application_windows(pid) if w.name == name), None)

    deadline = time.monotonic() + args.timeout
    while True:
        missing, shown = missing_texts(find_window, name, args.expected)
        if not missing:
            print(f"all {len(args.expected)} texts found")
            return 0
        if time.monotonic() >= deadline:
            break
        time.sleep(0.2)

    print(f"window {name!r} of process {pid} lacks:")
    for text in missing:
        print(f"  missing: {text!r}")
    print("readable texts:")
    for text in shown:
        print(f"  {text!r}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
