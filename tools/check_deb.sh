#!/usr/bin/env bash
# Builds the Debian package and checks it on this machine: control fields,
# contents, the desktop files' validators, then a real install with apt-get,
# a menu-style start of the installed program on a private session bus
# (offscreen, silent), sorvane-timer-ctl against it, and the removal.
# Needs root (it installs and removes the package).  Not part of ctest: the
# install is only meaningful on a machine without the package.
#
#   tools/check_deb.sh [build-folder]
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
failures=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ "$(id -u)" -ne 0 ]; then
  echo "check_deb.sh installs a package: run it as root" >&2
  exit 2
fi
if dpkg-query -W -f='${Status}' sorvane-timer 2>/dev/null | grep -q 'install ok installed'; then
  echo "sorvane-timer is installed already; remove it first (apt-get remove sorvane-timer)" >&2
  exit 2
fi

echo "== build"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j 2 --target sorvane-timer sorvane-timer-ctl beep_mid >/dev/null
rm -f "$BUILD_DIR"/sorvane-timer_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD_DIR"/sorvane-timer_*.deb)
deb=$(readlink -f "$deb")
echo "$deb"

echo "== control"
dpkg-deb --info "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for p in libqt6widgets6 libqt6dbus6 libqt6svg6 libpulse0 libfluidsynth3 timgm6mb-soundfont \
         libx11-6 libxi6 qt6-qpa-plugins; do
  if grep -qE "(^|, )$p( |,|$)" <<<"$depends"; then ok "Depends names $p"; else bad "Depends lacks $p"; fi
done
[ "$(dpkg-deb --field "$deb" Package)" = sorvane-timer ] && ok "Package sorvane-timer" || bad "Package name"
grep -q '\.invalid>' <<<"$(dpkg-deb --field "$deb" Maintainer)" && ok "Maintainer address is not deliverable" \
  || bad "Maintainer"

echo "== contents"
dpkg-deb --contents "$deb"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for f in ./usr/bin/sorvane-timer ./usr/bin/sorvane-timer-ctl ./usr/bin/sorvane-timer-desktop \
         ./usr/share/sorvane-timer/beep.mid \
         ./usr/share/applications/org.sorvane.Timer.desktop \
         ./usr/share/icons/hicolor/scalable/apps/org.sorvane.Timer.svg \
         ./usr/share/metainfo/org.sorvane.Timer.metainfo.xml \
         ./usr/share/doc/sorvane-timer/README.md ./usr/share/doc/sorvane-timer/copyright; do
  if grep -qxF "$f" <<<"$contents"; then ok "$f"; else bad "missing $f"; fi
done

echo "== validators"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate data/org.sorvane.Timer.desktop && ok "desktop-file-validate" || bad "desktop-file-validate"
else
  echo "skipped: desktop-file-validate (package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net data/org.sorvane.Timer.metainfo.xml && ok "appstreamcli validate" \
    || bad "appstreamcli validate"
else
  echo "skipped: appstreamcli (package appstream)"
fi

echo "== install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
ok "apt-get install"
tmp=$(mktemp -d)
daemon_pid=""
timer_pid=""
finish() {
  [ -n "$timer_pid" ] && kill "$timer_pid" 2>/dev/null || true
  [ -n "$daemon_pid" ] && kill "$daemon_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap finish EXIT

set +e
out=$(sorvane-timer-ctl 2>&1); rc=$?
set -e
echo "$out"
if [ $rc -eq 1 ] && grep -q '^Usage: sorvane-timer-ctl start|restart|stop' <<<"$out"; then
  ok "sorvane-timer-ctl without a command prints its usage and exits 1"
else
  bad "sorvane-timer-ctl usage (exit $rc)"
fi

echo "== menu start on a private session bus"
dbus-daemon --session --nofork --print-address=3 3>"$tmp/address" &
daemon_pid=$!
for _ in $(seq 50); do [ -s "$tmp/address" ] && break; sleep 0.1; done
bus=$(head -n1 "$tmp/address")
mkdir -p "$tmp/home"
set +e
out=$(env -u XDG_DATA_HOME HOME="$tmp/home" DBUS_SESSION_BUS_ADDRESS="$bus" sorvane-timer-ctl stop 2>&1); rc=$?
set -e
if [ $rc -eq 1 ] && grep -q 'not running' <<<"$out"; then ok "ctl with no timer: $out"; else bad "ctl with no timer (exit $rc): $out"; fi

env -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp/home" DBUS_SESSION_BUS_ADDRESS="$bus" \
  QT_QPA_PLATFORM=offscreen PULSE_SERVER=unix:/nonexistent/sorvane-no-sound-server \
  "$(sed -n 's/^Exec=//p' /usr/share/applications/org.sorvane.Timer.desktop)" >"$tmp/timer.log" 2>&1 &
timer_pid=$!
rc=1
for _ in $(seq 100); do
  if env DBUS_SESSION_BUS_ADDRESS="$bus" sorvane-timer-ctl stop >/dev/null 2>&1; then rc=0; break; fi
  sleep 0.1
done
[ $rc -eq 0 ] && ok "the installed timer answers sorvane-timer-ctl stop" || bad "the timer never answered"
folder="$tmp/home/.local/share/sorvane-timer"
[ -d "$folder" ] && ok "per-user folder created" || bad "no per-user folder $folder"
cmp -s "$folder/beep.mid" /usr/share/sorvane-timer/beep.mid && ok "beep.mid copied there" || bad "beep.mid not there"
[ -f "$folder/SorvaneTimer.ini" ] && ok "settings file written in the per-user folder" || bad "no SorvaneTimer.ini in $folder"
[ ! -e "$tmp/home/SorvaneTimer.ini" ] && ok "nothing written in the home folder's root" || bad "settings in the home root"
echo "-- timer's own output:"; cat "$tmp/timer.log"
kill "$timer_pid"; wait "$timer_pid" 2>/dev/null || true; timer_pid=""

echo "== remove"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq sorvane-timer >/dev/null
for f in /usr/bin/sorvane-timer /usr/bin/sorvane-timer-ctl /usr/share/applications/org.sorvane.Timer.desktop; do
  [ ! -e "$f" ] && ok "removed $f" || bad "left behind $f"
done

echo
if [ $failures -eq 0 ]; then echo "check_deb: all checks passed"; else echo "check_deb: $failures check(s) failed"; fi
[ $failures -eq 0 ]
