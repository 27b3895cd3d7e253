#!/usr/bin/env bash
# Installs the Debian packages Pilewatch needs to build, run and test.
# Idempotent: installs only what is missing; uses sudo when not root.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang-format
  # Qt 6 (Core, Gui, Widgets, DBus, Sql with SQLite), its platform plugins and
  # its SVG icon engine (the installed icons)
  qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite libgl-dev libqt6svg6
  # Qt's translation tools (lupdate makes the translation template) and their
  # CMake package
  qt6-l10n-tools qt6-tools-dev
  # X11: the tray manager selection and docks are read, and windows are
  # activated, on the X connection
  libxcb1-dev
  # Wayland: the panel is a layer-shell surface made on Qt's own Wayland
  # connection (Qt's native interface, wayland-scanner, xdg-shell's XML), and
  # Qt's Wayland platform plugin runs the app natively
  qt6-base-private-dev libwayland-dev libwayland-bin wayland-protocols qt6-wayland
  # fonts: the symbol font embedded at build time, and a plain UI font
  fonts-material-design-icons-iconfont fonts-dejavu-core
  # the application icon's PNG sizes, rendered from its SVG at build time
  librsvg2-bin
  # the icons as GTK panels and GNOME Shell load them: GdkPixbuf's SVG loader
  # and its Python bindings
  librsvg2-common python3-gi gir1.2-gdkpixbuf-2.0
  # shared core: keychain and records
  libsecret-1-dev libsqlite3-dev
  # shared core: input taps and synthetic typing over X11 (XInput 2, XTest, XKB)
  libxcb-xinput-dev libxcb-xtest0-dev libxkbcommon-x11-dev
  # tests and benchmarks (GoogleTest's CMake package also names the gmock library)
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth dbus dbus-bin gnome-keyring libsecret-tools trash-cli
  # xmodmap: the keymap as a peer prints it, before and after synthetic typing
  x11-xserver-utils
  at-spi2-core python3-pyatspi trayer
  # tests on real tray hosts and window managers: XFCE's panel (a
  # StatusNotifierItem host) with its window manager and settings store,
  # clicked and typed at with xdotool; openbox; sway with waybar's tray, grim
  # for screenshots and a seat tool of the tests' own (keymaps from xkbcommon)
  xfce4-panel xfwm4 xfconf xdotool openbox sway waybar grim libxkbcommon-dev
  # install and package checks: the desktop entry and metainfo validators,
  # dpkg-shlibdeps and dpkg-deb (dpkg-dev), lintian
  desktop-file-utils appstream dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
