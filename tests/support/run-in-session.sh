#!/usr/bin/env bash
# Runs a test under its own virtual X server and session bus, and tears both
# down afterwards.
set -euo pipefail
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" dbus-run-session -- "$@"
