#!/usr/bin/env bash
# End to end: the real program under Xvfb, playing into a PulseAudio server of
# the test's own (a null sink whose monitor is recorded to a file).
# Global hotkeys are pressed from another X client with xdotool; the beeps
# are found in the captured audio and checked against the schedule; a letter
# typed while the timer watches that key must still reach the other client.
#
# usage: hotkeys_and_sound.sh PATH/TO/sorvane-timer BUILD_DIR
set -euo pipefail

BIN=$1
BUILD=$2
TMP=$(mktemp -d)
# shellcheck source=lib/sound.sh
. "$(dirname "$0")/lib/sound.sh"
XPID=""
TPID=""
KPID=""
cleanup() {
    stop_sound_server
    for p in "$TPID" "$KPID" "$XPID"; do
        [ -n "$p" ] && kill "$p" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$TMP"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat "$TMP/log" 2>/dev/null || true
    echo "--- beeps found (s)"; beeps || true
    echo "--- typed into the other window: '$(cat "$TMP/typed" 2>/dev/null)'"
    exit 1
}

# Every wait below is for something to happen, with a deadline: the program
# on the screen, a number of beeps in the captured audio, the capture having
# run a given time past a beep, letters typed.
wait_for() { # seconds what command...
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        [ -z "$TPID" ] || kill -0 "$TPID" 2>/dev/null || fail "the timer died while waiting for $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what within the deadline"
        sleep 0.02
    done
}
beeps() { "$BUILD/e2e-onsets" "$TMP/out.raw" 1 48000 60 2>/dev/null; }
has_beeps() { [ "$(beeps | wc -l)" -ge "$1" ]; }
last_beep() { beeps | tail -1; }
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a + b }'; }
typed_is() { [ "$(cat "$TMP/typed" 2>/dev/null)" = "$1" ]; }

# A display of our own: Xvfb picks a free number and writes it to us once it
# accepts clients.
mkfifo "$TMP/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 800x600x24 3>"$TMP/display" >/dev/null 2>&1 &
XPID=$!
read -r -t 30 D <"$TMP/display" || fail "Xvfb did not start"
export DISPLAY=":$D"
unset WAYLAND_DISPLAY
export XDG_SESSION_TYPE=x11

# The sound server, recorded from here on; a home and runtime folder of the
# test's own.
export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run"
mkdir -p "$HOME"
start_sound_server
start_recording "$TMP/out.raw"

# Custom cycle of 0.5 s and 1 s, two repetitions, short 20 ms beeps
# (pitch 12, duration 40: 960 samples at 48 kHz).
cd "$TMP"
printf '%s\r\n' '118,"Start_Key_Code"' '65,"Restart_Key_Code"' '119,"Stop_Key_Code"' \
    '12,"Beep_Pitch"' '40,"Beep_Duration"' '2,"Cycle_Repetitions"' '5,"Warning_Beeps_per_Second"' \
    '1,"Custom_Beeps_yes1_no0"' '60,"Cycle_Time"' '1,"Cycle_Units_sec1_min0"' \
    '1,"Enable_Periodic_Warnings_During_Cycle"' '10,"Periodic_Warning_Time."' '1,"Enable_Final_Countdown"' \
    '5,"Final_Countdown_Time"' '1,"Final_Countdown_Beeps_Per_Second"' '.5' '1' > e2e.ini
cp e2e.ini e2e.ini.orig

"$BIN" e2e >"$TMP/log" 2>&1 &
TPID=$!
# Ready: the window is on the screen and the ready beep has sounded (the
# settings are loaded and the hotkeys assigned).
wait_for 30 "timer window" xdotool search --onlyvisible --limit 1 --name "Sorvane Timer"
wait_for 30 "ready beep" has_beeps 1

# Another application has the focus (and keeps it) and receives the typing.
"$BUILD/e2e-keycatcher" "$TMP/typed" >"$TMP/keycatcher.id" &
KPID=$!
wait_for 10 "key catcher" test -s "$TMP/keycatcher.id"
focused() { [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$(cat "$TMP/keycatcher.id")" ]; }
wait_for 10 "focus on the key catcher" focused
# Each key is pressed once the capture has run on past the last beep: two
# beeps less than 60 ms apart would be found as one.
past_last_beep() { # seconds what
    wait_for 10 "$2" recorded_past "$(plus "$(last_beep)" "$1")"
}
past_last_beep 0.15 "silence after the ready beep"

xdotool key F7          # run 1: start beep, beeps at 0.5 and 1 s, twice
wait_for 10 "run 1 (start beep and 4 moments)" has_beeps 6
past_last_beep 0.3 "the end of run 1"
xdotool key F7          # run 2
wait_for 10 "run 2 start beep" has_beeps 7
past_last_beep 0.15 "silence after the start beep"
xdotool key a           # restart: a beep, and the letter still types
wait_for 10 "restart beep" has_beeps 8
past_last_beep 0.15 "silence after the restart beep"
xdotool key F8          # stop: a beep, then silence
wait_for 10 "stop beep" has_beeps 9
xdotool key a           # idle: Restart is off, no beep; the letter types
wait_for 10 "both letters typed" typed_is aa
# Silence after the stop: the capture runs on past the moment (0.52 s after
# the restart) that would have sounded had the stop not worked.
past_last_beep 1 "a second of capture after the stop"

kill -0 "$TPID" 2>/dev/null || fail "the timer died"
kill "$TPID"; wait "$TPID" 2>/dev/null || true; TPID=""
stop_recording

typed_is aa || fail "typed text was '$(cat "$TMP/typed" 2>/dev/null)', expected 'aa'"
cmp -s e2e.ini e2e.ini.orig || fail "the settings file changed"

"$BUILD/e2e-onsets" "$TMP/out.raw" 1 48000 60 >"$TMP/onsets"
mapfile -t T <"$TMP/onsets"
[ "${#T[@]}" -eq 9 ] || fail "expected 9 beeps (ready, 5 in run 1, start/restart/stop of run 2), found ${#T[@]}"

# Run 1, from its start beep: the first repetition starts after that 20 ms
# beep, the second after the beep at 1 s, so the moments come at
# 0.52, 1.02, then 1.54, 2.04 (each 1 ms after the moment has passed).
TOL=${E2E_TOLERANCE:-0.015}
check() { # name actual expected
    awk -v a="$2" -v e="$3" -v t="$TOL" 'BEGIN { d = a - e; if (d < 0) d = -d; exit !(d <= t) }' ||
        fail "$1: at $2 s, expected $3 s (tolerance $TOL s)"
    printf '  %-28s %8.3f s (expected %.3f)\n' "$1" "$2" "$3"
}
rel() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a - b }'; }
S1=${T[1]}
check "repetition 1, moment 0.5 s" "$(rel "${T[2]}" "$S1")" 0.521
check "repetition 1, moment 1 s" "$(rel "${T[3]}" "$S1")" 1.021
check "repetition 2, moment 0.5 s" "$(rel "${T[4]}" "$S1")" 1.542
check "repetition 2, moment 1 s" "$(rel "${T[5]}" "$S1")" 2.042
# Run 2: each key was pressed 0.15 s into the silence after the beep of the
# one before.  The restart and stop beeps come before the run's first moment
# (0.52 s), so they are the keys' beeps and not the schedule's; that this
# moment never sounds after the restart is proven by the count of beeps.
between() { # name value low high
    awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(v >= lo && v <= hi) }' ||
        fail "$1: $2 s is outside $3 .. $4 s"
    printf '  %-28s %8.3f s (between %s and %s)\n' "$1" "$2" "$3" "$4"
}
S2=${T[6]}
between "run 2 restart after start" "$(rel "${T[7]}" "$S2")" 0.15 0.50
between "run 2 stop after restart" "$(rel "${T[8]}" "${T[7]}")" 0.15 0.50
echo "end-to-end: 9 beeps in order, letters typed: aa"
