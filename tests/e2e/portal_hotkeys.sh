#!/usr/bin/env bash
# End to end through a real desktop portal: KWin (Plasma's compositor)
# nested in Xvfb, xdg-desktop-portal with its KDE backend on a private
# session bus, the timer on Wayland playing into a sound server of the
# test's own whose output is recorded.  Keys
# are pressed into KWin's window with xdotool; KWin's global shortcuts pass
# them through the portal to the timer.  The beeps are found in the captured
# audio and checked against the schedule; a key changed in the Stop key box
# stops, the old one no longer does; a second start of the program binds its
# keys again.  Every step waits for what it expects (a log line, a beep);
# nothing waits for a fixed time.
#
# usage: portal_hotkeys.sh PATH/TO/sorvane-timer BUILD_DIR
set -euo pipefail

BIN=$(realpath "$1")
BUILD=$(realpath "$2")
SKIP=77 # ctest's SKIP_RETURN_CODE: the machine cannot run this test
skip() {
    echo "SKIP: $*"
    exit "$SKIP"
}

# What the test needs (tools/deps.sh installs it).
for tool in Xvfb xdotool kwin_wayland dbus-run-session dbus-update-activation-environment dbus-send \
    pulseaudio pactl pacat parec; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x /usr/libexec/xdg-desktop-portal ] || skip "xdg-desktop-portal is not installed"
[ -e /usr/share/xdg-desktop-portal/portals/kde.portal ] || skip "xdg-desktop-portal-kde is not installed"
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null ||
    skip "the Qt Wayland platform plugin (qt6-wayland) is not installed"

# Everything runs on a session bus of its own.
if [ -z "${SORVANE_E2E_PRIVATE_BUS:-}" ]; then
    export SORVANE_E2E_PRIVATE_BUS=1
    exec dbus-run-session -- bash "$0" "$@"
fi

TMP=$(mktemp -d)
PIDS=()
# shellcheck source=lib/sound.sh
. "$(dirname "$0")/lib/sound.sh"
TPID=""
# The services the bus started for us (the portals) do not all end with the
# bus: each is asked for by its process id.
bus_clients() {
    local name
    for name in $(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.ListNames 2>/dev/null | grep -o '":1\.[0-9]*"' | tr -d '"'); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" 2>/dev/null | awk '/uint32/ { print $2 }'
    done
}
cleanup() {
    [ -n "$TPID" ] && kill "$TPID" 2>/dev/null || true
    stop_sound_server
    for p in $(bus_clients) "${PIDS[@]}"; do
        [ "$p" != "$$" ] && kill "$p" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$TMP" 2>/dev/null || true
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$TMP"/log*; do
        [ -e "$f" ] && { echo "--- $(basename "$f")"; cat "$f"; }
    done
    echo "--- beeps found (s)"
    [ -n "${AUDIO:-}" ] && "$BUILD/e2e-onsets" "$AUDIO" 1 48000 60 2>/dev/null || true
    echo "--- kwin"
    tail -20 "$TMP/kwin.log" 2>/dev/null || true
    exit 1
}

# Waits until a condition holds, checking it again and again; fails after
# limit seconds.
wait_for() { # what limit command...
    local what=$1 limit=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "waited ${limit} s for $what"
        sleep 0.02
    done
}

# A private home, runtime folder and desktop configuration.
export HOME="$TMP/home" XDG_CONFIG_HOME="$TMP/config" XDG_DATA_HOME="$TMP/data" XDG_CACHE_HOME="$TMP/cache"
export XDG_RUNTIME_DIR="$TMP/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland
start_sound_server

# An X server for KWin's window; it picks a free display number.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
PIDS+=($!)
has_display() { [ -s "$TMP/display" ]; }
wait_for "Xvfb" 30 has_display
X11_DISPLAY=":$(head -n1 "$TMP/display")"

# KWin in a window of that server.  The packaged binary carries a file
# capability that a container may not grant; a copy of it carries none.
cp "$(command -v kwin_wayland)" "$TMP/kwin_wayland"
KWIN_COMPOSE=Q "$TMP/kwin_wayland" --x11-display "$X11_DISPLAY" --socket sorvane-e2e --no-lockscreen \
    --width 1024 --height 768 >"$TMP/kwin.log" 2>&1 &
KWIN=$!
PIDS+=("$KWIN")
kwin_ready() {
    kill -0 "$KWIN" 2>/dev/null || return 0
    [ -S "$XDG_RUNTIME_DIR/sorvane-e2e" ] &&
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.kde.kglobalaccel 2>/dev/null | grep -q true
}
wait_for "KWin and its global shortcuts" 60 kwin_ready
kill -0 "$KWIN" 2>/dev/null || skip "KWin cannot run here: $(tail -3 "$TMP/kwin.log" | tr '\n' ' ')"
export WAYLAND_DISPLAY=sorvane-e2e
dbus-monitor --session "interface='org.freedesktop.portal.GlobalShortcuts'" >"$TMP/log-monitor" 2>&1 &
PIDS+=($!)

# The portal services start on demand; they need to find the desktop.
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR HOME \
    XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM=offscreen "DISPLAY=$X11_DISPLAY"

# Keys go into KWin's window, which covers the X screen.
export DISPLAY="$X11_DISPLAY"
xdotool mousemove 512 384
key() { xdotool key --delay 30 "$@"; }

# A cycle with beeps 2 s and 2.5 s after its start, twice; short 20 ms
# beeps (pitch 12, duration 40: 960 samples at 48 kHz).
WORK="$TMP/work"
mkdir -p "$WORK"
printf '%s\r\n' '118,"Start_Key_Code"' '65,"Restart_Key_Code"' '119,"Stop_Key_Code"' \
    '12,"Beep_Pitch"' '40,"Beep_Duration"' '2,"Cycle_Repetitions"' '5,"Warning_Beeps_per_Second"' \
    '1,"Custom_Beeps_yes1_no0"' '60,"Cycle_Time"' '1,"Cycle_Units_sec1_min0"' \
    '1,"Enable_Periodic_Warnings_During_Cycle"' '10,"Periodic_Warning_Time."' '1,"Enable_Final_Countdown"' \
    '5,"Final_Countdown_Time"' '1,"Final_Countdown_Beeps_Per_Second"' '2' '2.5' >"$WORK/e2e.ini"
cp "$WORK/e2e.ini" "$TMP/e2e.ini.orig"

onsets() { "$BUILD/e2e-onsets" "$AUDIO" 1 48000 60 2>/dev/null; }
beeps_at_least() {
    kill -0 "$TPID" 2>/dev/null || fail "the timer ended"
    [ "$(onsets | wc -l)" -ge "$1" ]
}
# Seconds of audio captured so far (16-bit mono at 48 kHz).
audio_beyond() { # seconds
    awk -v size="$(stat -c %s "$AUDIO")" -v t="$1" 'BEGIN { exit !(size / 96000 > t) }'
}
# Waits for the n-th beep, then until 0.1 s of audio after its start has
# been captured: a beep asked for from then on starts after a gap that
# tells it from this 20 ms one.
wait_beeps() { # n what
    wait_for "beep $1 ($2)" 30 beeps_at_least "$1"
    wait_for "the audio after beep $1" 30 audio_beyond "$(onsets | sed -n "${1}p" | awk '{ print $1 + 0.1 }')"
}
logged() {
    kill -0 "$TPID" 2>/dev/null || fail "the timer ended"
    grep -qF "$1" "$LOG"
}
wait_logged() { wait_for "'$1' in the program's output" 60 logged "$1"; }

start_timer() { # audio log
    AUDIO=$1
    LOG=$2
    : >"$LOG"
    stop_recording
    start_recording "$AUDIO"
    (cd "$WORK" && exec env -u DISPLAY QT_QPA_PLATFORM=wayland "$BIN" e2e >"$LOG" 2>&1) &
    TPID=$!
}

# --- First start: the desktop binds F7, A and F8.
start_timer "$TMP/out1.raw" "$TMP/log1"
wait_logged "global hotkeys: Desktop portal (Start: F7, Restart: A, Stop: F8)"
wait_beeps 1 "ready"

# Run 1 plays its whole schedule.  Each repetition begins after the last
# beep of the one before, and a beep sounds at the first poll past its
# moment, so from the start beep (20 ms) the beeps come at 2.021 and
# 2.521 s; the second repetition begins when the 20 ms beep at 2.521 s has
# sounded, at 2.541 s, and its beeps come at 4.542 and 5.042 s.
key F7
wait_beeps 6 "end of run 1"
mapfile -t T < <(onsets)
TOL=${E2E_TOLERANCE:-0.015}
report() { printf '  %-34s %8.3f s (%s)\n' "$1" "$2" "$3"; }
check() { # name actual expected
    awk -v a="$2" -v e="$3" -v t="$TOL" 'BEGIN { d = a - e; if (d < 0) d = -d; exit !(d <= t) }' ||
        fail "$1: at $2 s, expected $3 s (tolerance $TOL s)"
    report "$1" "$2" "expected $3"
}
rel() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a - b }'; }
echo "run 1 through the portal, beep moments from the start beep:"
check "repetition 1, moment 2 s" "$(rel "${T[2]}" "${T[1]}")" 2.021
check "repetition 1, moment 2.5 s" "$(rel "${T[3]}" "${T[1]}")" 2.521
check "repetition 2, moment 2 s" "$(rel "${T[4]}" "${T[1]}")" 4.542
check "repetition 2, moment 2.5 s" "$(rel "${T[5]}" "${T[1]}")" 5.042

# Run 2: Start, then Restart (its beep), then Stop (its beep), each before
# the first moment: no scheduled beep sounds.
key F7
wait_beeps 7 "start of run 2"
key a
wait_beeps 8 "restart"
key F8
wait_beeps 9 "stop"

# The notice about the key A has the keyboard: KWin (through a script of
# its own) gives it back to the main window, and says when it has.
cat >"$TMP/activate.js" <<'EOF'
const windows = workspace.clientList();
for (let i = 0; i < windows.length; ++i) {
    if (/^Sorvane Timer \S/.test(windows[i].caption)) {
        workspace.activeClient = windows[i];
        print("sorvane-e2e: active " + windows[i].caption);
    }
}
EOF
dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
    "string:$TMP/activate.js" string:sorvane-e2e-activate >/dev/null
dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.start >/dev/null
kwin_logged() { grep -q "sorvane-e2e: active" "$TMP/kwin.log"; }
wait_for "KWin to activate the timer's window" 30 kwin_logged

# The Stop key box (Tab from the Exit button: Start, Restart, Stop box,
# each beeping as it takes the focus) gets F9; Tab again leaves it.
for n in 10 11 12; do
    key Tab
    wait_beeps "$n" "a key box taking the focus"
done
key F9
wait_logged "global hotkeys: Desktop portal (Start: F7, Restart: A, Stop: F9)"
key Tab

# Run 3: the old Stop key F8 no longer stops (Restart after it still beeps,
# which it would not in an idle timer); the new one does.
key F7
wait_beeps 13 "start of run 3"
key F8 a
wait_beeps 14 "restart after the old Stop key"
key F9
wait_beeps 15 "stop by the new key"
mapfile -t T < <(onsets)
echo "runs 2 and 3, from each start beep:"
report "run 2 restart" "$(rel "${T[7]}" "${T[6]}")" "before the 2 s moment"
report "run 2 stop" "$(rel "${T[8]}" "${T[6]}")" "before the 2 s moment after the restart"
report "run 3 restart (after F8)" "$(rel "${T[13]}" "${T[12]}")" "before the 2 s moment"
report "run 3 stop by F9" "$(rel "${T[14]}" "${T[12]}")" "before the 2 s moment after the restart"
kill "$TPID"
wait "$TPID" 2>/dev/null || true
TPID=""
[ "${#T[@]}" -eq 15 ] || fail "expected 15 beeps in the first start, found ${#T[@]}"

# --- Second start: the stored keys (Stop is F8 again: the change was not
# applied) are bound once more, in the same shortcuts of the desktop.
start_timer "$TMP/out2.raw" "$TMP/log2"
wait_logged "global hotkeys: Desktop portal (Start: F7, Restart: A, Stop: F8)"
wait_beeps 1 "ready"
key F7
wait_beeps 2 "start"
key F8
wait_beeps 3 "stop"
kill "$TPID"
wait "$TPID" 2>/dev/null || true
TPID=""

components=$(grep -c '^\[sorvane_timer' "$XDG_CONFIG_HOME/kglobalshortcutsrc" || true)
[ "$components" -eq 1 ] || fail "the desktop keeps $components sets of the timer's shortcuts, expected 1"
cmp -s "$WORK/e2e.ini" "$TMP/e2e.ini.orig" || fail "the settings file changed"
echo "end-to-end through the desktop portal: 15 beeps in the first start, 3 in the second, one set of shortcuts"
