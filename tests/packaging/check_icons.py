#!/usr/bin/python3
"""Usage: check_icons.py SVG...

Loads each SVG icon as GTK panels, GNOME Shell and icon tools do: with
GdkPixbuf (which picks a loader by sniffing the file's first bytes, and draws
SVG with librsvg), at the tray sizes. Each rendering must have the asked
size and show ink. Prints a line per check and exits 1 when one fails."""

import sys

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf  # noqa: E402

SIZES = (16, 22, 24, 32)
failures = []


def inked(pixbuf):
    if not pixbuf.get_has_alpha():
        return True
    pixels = pixbuf.get_pixels()
    stride, channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
    return any(pixels[y * stride + x * channels + 3] > 0
               for y in range(pixbuf.get_height()) for x in range(pixbuf.get_width()))


def check(what, load):
    try:
        pixbuf, size = load()
        ok = (pixbuf.get_width(), pixbuf.get_height()) == (size, size) and inked(pixbuf)
        detail = f"{pixbuf.get_width()}×{pixbuf.get_height()}, inked: {inked(pixbuf)}"
    except Exception as error:  # the loaders report failures as GLib errors
        ok, detail = False, str(error)
    print(f"{'ok  ' if ok else 'FAIL'} {what}{'' if ok else ': ' + detail}", flush=True)
    if not ok:
        failures.append(what)


def sniffed_as_svg(path):
    loader = GdkPixbuf.Pixbuf.get_file_info(path)[0]
    if not loader or loader.get_name() != "svg":
        raise ValueError(f"sniffed as {loader.get_name() if loader else 'nothing'}")
    return GdkPixbuf.Pixbuf.new_from_file_at_size(path, 16, 16), 16


for path in sys.argv[1:]:
    name = path.rsplit("/", 1)[-1]
    check(f"{name}: GdkPixbuf recognises it as SVG", lambda: sniffed_as_svg(path))
    for size in SIZES:
        check(f"{name} at {size} px with GdkPixbuf",
              lambda: (GdkPixbuf.Pixbuf.new_from_file_at_size(path, size, size), size))

sys.exit(1 if failures else 0)
