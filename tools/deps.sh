#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Only missing packages are installed; nothing happens when all are present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  libx11-dev libxi-dev x11proto-dev
  libpulse-dev libfluidsynth-dev timgm6mb-soundfont
  pulseaudio pulseaudio-utils
  libgtest-dev
  xvfb xauth xdotool x11-xkb-utils
  libevdev-dev dbus-daemon dbus-bin
  # Global hotkeys through a real desktop portal, end to end: KWin nested
  # in Xvfb, the portal and its KDE backend, the timer on Wayland.
  kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qt6-wayland
  # The status indicator's test: a headless Wayland server, where the
  # indicator waits for a panel.
  weston
  clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14
  desktop-file-utils appstream
  locales
)

# One dpkg query for all of them (unknown names are simply not listed).
installed=" $({ dpkg-query -W -f='${Package}:${Status}\n' "${PACKAGES[@]}" 2>/dev/null || true; } |
  sed -n 's/:install ok installed$//p' | tr '\n' ' ')"
missing=()
for p in "${PACKAGES[@]}"; do
  [[ "$installed" == *" $p "* ]] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
