#!/usr/bin/env bash
# Runs a command in a headless sway session (wlroots' headless backend, one
# 1280 x 800 output) with waybar along the top edge and its tray, on a
# private session bus, and tears it all down afterwards.
#
#   run-in-sway.sh [--scale N] COMMAND [ARGS...]
#
# sway refuses to run as root: as root (CI), the session runs in a user
# namespace of its own where root is an ordinary user (uid 1000 inside, root
# outside, so it still reads the checkout and writes the screenshots wherever
# they are), and in a private network namespace, where the bus's abstract
# socket stays private; the compositor's sockets live in a runtime folder of
# the session's own. As another user it runs as that user. The command finds
# WAYLAND_DISPLAY, SWAYSOCK and the bus in its environment, and the bar's
# height in PILEWATCH_BAR_HEIGHT.
set -euo pipefail

scale=1
if [ "${1:-}" = "--scale" ]; then
  scale=$2
  shift 2
fi

if [ "$(id -u)" -eq 0 ] && [ -z "${PILEWATCH_SWAY_INNER:-}" ]; then
  exec unshare --user --map-user=1000 --map-group=1000 --net --fork \
    env PILEWATCH_SWAY_INNER=1 "$0" --scale "$scale" "$@"
fi

if [ -z "${PILEWATCH_SWAY_BUS:-}" ]; then
  export PILEWATCH_SWAY_BUS=1
  exec dbus-run-session -- "$0" --scale "$scale" "$@"
fi

session=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT

export HOME=$session/home XDG_RUNTIME_DIR=$session/run
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$XDG_CONFIG_HOME/sway" "$XDG_CONFIG_HOME/waybar" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
export PILEWATCH_BAR_HEIGHT=30

cat >"$XDG_CONFIG_HOME/sway/config" <<CONFIG
output HEADLESS-1 mode 1280x800 scale $scale
xwayland disable
default_border none
CONFIG
cat >"$XDG_CONFIG_HOME/waybar/config" <<CONFIG
{ "layer": "top", "position": "top", "height": $PILEWATCH_BAR_HEIGHT,
  "modules-left": ["sway/workspaces"], "modules-right": ["tray"],
  "tray": { "icon-size": 18, "spacing": 8 } }
CONFIG

waitFor() { # seconds, test...
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "run-in-sway: gave up waiting for: $*" >&2
  return 1
}

inSession() {
  sway -c "$XDG_CONFIG_HOME/sway/config" >"$session/sway.log" 2>&1 &
  pids+=($!)
  waitFor 10 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock"
  export SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock")
  export WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]")")
  waitFor 10 swaymsg -t get_outputs
  waybar >"$session/waybar.log" 2>&1 &
  pids+=($!)
  # The tray module is up once it hosts StatusNotifierItems.
  waitFor 10 dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierWatcher string:IsStatusNotifierHostRegistered
  "$@" || { status=$?; echo "--- sway log" >&2; tail -20 "$session/sway.log" >&2;
            echo "--- waybar log" >&2; tail -20 "$session/waybar.log" >&2; return $status; }
}

inSession "$@"
