#!/usr/bin/env bash
# Starts Pilewatch in the user's desktop session, or under a virtual X display
# with --xvfb.
set -euo pipefail

if [ "${1:-}" = "--xvfb" ]; then
  shift
  echo "pilewatch: starting on a virtual X display (nothing shows on screen); stop it with Ctrl+C." >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$@"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "pilewatch: no display found (DISPLAY and WAYLAND_DISPLAY are unset); run 'make run-xvfb' to start it under a virtual display." >&2
  exit 1
fi
exec "$@"
