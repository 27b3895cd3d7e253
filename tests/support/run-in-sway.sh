#!/usr/bin/env bash
# Runs a command in a headless sway session (wlroots' headless backend, one
# 1280 x 800 output) with waybar along the top edge and its tray, on a
# private session bus, and tears it all down afterwards.
#
#   run-in-sway.sh [--scale N] COMMAND [ARGS...]
#
# sway refuses to run as root: as root (CI), the session runs as the
# unprivileged user pwsway, created if missing, inside private mount and
# network namespaces with a tmpfs over /tmp; PILEWATCH_SCREENSHOT_DIR, when
# set, receives the screenshots the command leaves in its own. As another user
# it runs as that user. The command finds WAYLAND_DISPLAY, SWAYSOCK and the
# bus in its environment, and the bar's height in PILEWATCH_BAR_HEIGHT.
set -euo pipefail

scale=1
if [ "${1:-}" = "--scale" ]; then
  scale=$2
  shift 2
fi
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" -eq 0 ] && [ -z "${PILEWATCH_SWAY_INNER:-}" ]; then
  user=pwsway
  id "$user" >/dev/null 2>&1 || useradd -m "$user" 2>/dev/null || id "$user" >/dev/null
  shots=$(mktemp -d -p /var/tmp)
  chown "$user:" "$shots"
  status=0
  unshare --mount --net --fork env PILEWATCH_SWAY_USER="$user" PILEWATCH_SWAY_SHOTS="$shots" \
    bash -c '
      set -euo pipefail
      mount -t tmpfs -o mode=1777 tmpfs /tmp
      mkdir -m 1777 /tmp/.X11-unix
      exec setpriv --reuid="$PILEWATCH_SWAY_USER" --regid="$PILEWATCH_SWAY_USER" --init-groups \
        env PILEWATCH_SWAY_INNER=1 PILEWATCH_SCREENSHOT_DIR="$PILEWATCH_SWAY_SHOTS" "$0" "$@"' \
    "$here/run-in-sway.sh" --scale "$scale" "$@" || status=$?
  if [ -n "${PILEWATCH_SCREENSHOT_DIR:-}" ]; then
    mkdir -p "$PILEWATCH_SCREENSHOT_DIR"
    cp -r "$shots/." "$PILEWATCH_SCREENSHOT_DIR/" 2>/dev/null || true
  fi
  rm -rf "$shots"
  exit "$status"
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
