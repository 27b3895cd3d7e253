#!/usr/bin/python3
"""Usage: accessible_texts.py NAME TIMEOUT TEXT...

Prints "listening", then waits until every TEXT can be read over AT-SPI, as Orca
reads it, under the window named NAME, whether its application lists it or (a
popup) the keyboard focus lands in it. Exits 0 then, or 1 at the deadline."""

import sys
import time

import pyatspi
from gi.repository import GLib

focused_windows = []


def children(node):
    return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c]


def readable_texts(node):
    texts = [node.name, node.description]
    try:
        text = node.queryText()
        texts.append(text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    return [t for t in texts if t] + [t for c in children(node) for t in readable_texts(c)]


def on_focus(event):
    """Remembers the window (the ancestor just below the application) that focus lands in."""
    node = event.source if event.detail1 else None
    while node and node.parent and node.parent.getRole() != pyatspi.ROLE_APPLICATION:
        node = node.parent
    if node:
        focused_windows.insert(0, node)


def shown_texts(name):
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass
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


def main():
    name, deadline, expected = sys.argv[1], time.monotonic() + float(sys.argv[2]), sys.argv[3:]
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    print("listening", flush=True)
    shown = shown_texts(name)
    while any(t not in shown for t in expected) and time.monotonic() < deadline:
        time.sleep(0.2)
        shown = shown_texts(name)
    missing = [t for t in expected if t not in shown]
    print(*(f"missing: {t!r}" for t in missing), "readable:", *shown, sep="\n  ")
    return 1 if missing else 0


sys.exit(main())
