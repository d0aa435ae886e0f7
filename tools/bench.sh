#!/usr/bin/env bash
# `make bench`: what the timer sounds like through a real sound server.
# Prints figures; it is a measurement, not a test.
#
# A private sound server (its own runtime folder, no system service) plays
# into a null sink at 48 kHz whose monitor is recorded with parec; every
# chunk of the recording is stamped with the monotonic clock, so each beep
# found in it has a time that compares with key presses and due moments.  The
# real program runs under Xvfb and is driven with its global hotkeys; a shell
# loop playing the same beep with paplay is measured alongside as a baseline.
# Everything runs twice: on a quiet machine and with a CPU hog on every core.
# About 3 minutes; BENCH_QUICK=1 stops after the quiet half.
#
# BENCH_SERVER=pulseaudio (the default) or pipewire: PipeWire with its session
# manager WirePlumber and its PulseAudio server pipewire-pulse, as Debian 12
# desktops run it (tools/deps.sh installs both).  While recording, a silent
# stream asking for 5 ms of latency holds the sink steady (see record below);
# BENCH_PIN=0 leaves it out, which on PipeWire is the default: its graph then
# runs in the long cycles that the timer's own stream allows, as on a desktop
# where nothing else plays, and that is the case worth measuring there.
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
# SORVANE_TIMER measures another build of the program with the same tools.
BIN=${SORVANE_TIMER:-$BUILD/sorvane-timer}
TOOL="$BUILD/sorvane-benchtool"
RUNNER="$BUILD/sorvane-bench"
TMP=$(mktemp -d)
PIDS=()
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -n "${BENCH_KEEP:-}" ] && echo "kept $TMP" >&2 || rm -rf "$TMP"
}
trap cleanup EXIT

now() { "$TOOL" now; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (a - b) / 1e6 }'; }

# ------------------------------------------------------- display and bus
export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config" \
    XDG_CACHE_HOME="$TMP/home/.cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -nolisten tcp -screen 0 800x600x24 3>"$TMP/display" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$TMP/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$TMP/display")" XDG_SESSION_TYPE=x11
unset WAYLAND_DISPLAY
# A session bus of its own, as on a desktop (PipeWire's session manager
# wants one too).
dbus-daemon --session --nofork --print-address=4 4>"$TMP/bus" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$TMP/bus" ] && break; sleep 0.05; done
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$TMP/bus")
export DBUS_SESSION_BUS_ADDRESS

# ---------------------------------------------------------------- the server
# BENCH_SERVER=pulseaudio (the default) or pipewire: the program talks the
# PulseAudio protocol to either; PipeWire serves it through pipewire-pulse.
# SERVER holds every process of the server, for its CPU and wake-ups.
BENCH_SERVER=${BENCH_SERVER:-pulseaudio}
SERVER=()
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
case "$BENCH_SERVER" in
pulseaudio)
    mkdir -p "$XDG_CONFIG_HOME/pulse"
    printf '%s\n' 'default-sample-rate = 48000' 'exit-idle-time = -1' >"$XDG_CONFIG_HOME/pulse/daemon.conf"
    # The sink suspends after 1 s without streams (desktops wait 5 s), so
    # that idle figures need not wait long.
    printf '%s\n' 'load-module module-null-sink sink_name=bench rate=48000' 'set-default-sink bench' \
        'load-module module-native-protocol-unix' 'load-module module-suspend-on-idle timeout=1' >"$TMP/server.pa"
    pulseaudio -n -F "$TMP/server.pa" --daemonize=no --use-pid-file=no --log-target=file:"$TMP/server.log" &
    SERVER+=($!)
    ;;
pipewire)
    # Not in tools/deps.sh: installing pipewire-pulse enables its user
    # service for every login, which on a desktop that runs PulseAudio
    # competes for the user's sound server socket.
    for b in pipewire wireplumber pipewire-pulse; do
        command -v "$b" >/dev/null || {
            echo "BENCH_SERVER=pipewire needs the packages pipewire, pipewire-pulse and wireplumber" \
                "(apt-get install --no-install-recommends pipewire pipewire-pulse wireplumber)" >&2
            exit 2
        }
    done
    # The daemon, its session manager (which links streams to the sink)
    # and the PulseAudio protocol server, as a Debian 12 desktop runs them,
    # but with no devices: the session manager watches no sound cards,
    # cameras or Bluetooth, and the sink is a null sink.
    mkdir -p "$XDG_CONFIG_HOME/wireplumber/main.lua.d" "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
    printf '%s\n' 'alsa_monitor.enabled = false' 'v4l2_monitor.enabled = false' \
        'libcamera_monitor.enabled = false' >"$XDG_CONFIG_HOME/wireplumber/main.lua.d/90-bench.lua"
    printf '%s\n' 'bluez_monitor.enabled = false' >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/90-bench.lua"
    pipewire >"$TMP/server.log" 2>&1 &
    SERVER+=($!)
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
    wireplumber >>"$TMP/server.log" 2>&1 &
    SERVER+=($!)
    pipewire-pulse >>"$TMP/server.log" 2>&1 &
    SERVER+=($!)
    ;;
*)
    echo "BENCH_SERVER is pulseaudio or pipewire" >&2
    exit 2
    ;;
esac
PIDS+=("${SERVER[@]}")
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null
if [ "$BENCH_SERVER" = pipewire ]; then
    pactl load-module module-null-sink sink_name=bench rate=48000 >/dev/null
    pactl set-default-sink bench
fi

# ------------------------------------------------------------------ helpers
# While a recording runs, a silent stream with 5 ms of latency holds the
# null sink at that latency: the monitor then hands each sample on within a
# few milliseconds of the moment the sink plays it, whatever latency the
# measured program asks for.  (Without it the monitor's delay follows the
# sink's latency, which every stream that comes or goes changes.)  A null
# sink that runs at its longest latency (2 s: no stream asked for less, or it
# just woke from suspension) has rendered that much silence ahead, in front
# of every stream that joins; that is waited out before anything is
# measured, as no sound card does it.  CPU and wake-ups are measured while no
# recording runs.
RECORDER=""
STAMPER=""
PIN=""
if [ "$BENCH_SERVER" = pipewire ]; then BENCH_PIN=${BENCH_PIN:-0}; else BENCH_PIN=${BENCH_PIN:-1}; fi
REC_LATENCY=10
[ "$BENCH_PIN" = 1 ] || REC_LATENCY=100
record() { # name [settle seconds]
    local settle=${2:-2.3}
    if [ "$BENCH_PIN" = 1 ]; then
        pacat -p --raw --format=s16le --rate=48000 --channels=1 --latency-msec=5 </dev/zero &
        PIN=$!
    fi
    rm -f "$TMP/fifo"
    mkfifo "$TMP/fifo"
    "$TOOL" capture "$TMP/$1.raw" "$TMP/$1.stamps" <"$TMP/fifo" &
    STAMPER=$!
    parec -d bench.monitor --raw --format=s16le --rate=48000 --channels=1 --latency-msec="$REC_LATENCY" >"$TMP/fifo" &
    RECORDER=$!
    sleep "$settle"
}
stop_record() {
    kill "$RECORDER" $PIN 2>/dev/null || true
    wait "$RECORDER" "$STAMPER" $PIN 2>/dev/null || true
    PIN=""
}
beeps() { "$TOOL" beeps "$TMP/$1.raw" "$TMP/$1.stamps" "${2:-5000}"; }

settings() { # pitch duration repetitions custom-list...
    local pitch=$1 dur=$2 reps=$3
    shift 3
    printf '%s\r\n' '118,"Start_Key_Code"' '65,"Restart_Key_Code"' '119,"Stop_Key_Code"' \
        "$pitch,\"Beep_Pitch\"" "$dur,\"Beep_Duration\"" "$reps,\"Cycle_Repetitions\"" \
        '5,"Warning_Beeps_per_Second"' '1,"Custom_Beeps_yes1_no0"' '60,"Cycle_Time"' '1,"Cycle_Units_sec1_min0"' \
        '1,"Enable_Periodic_Warnings_During_Cycle"' '10,"Periodic_Warning_Time."' '1,"Enable_Final_Countdown"' \
        '5,"Final_Countdown_Time"' '1,"Final_Countdown_Beeps_Per_Second"' "$@"
}

# The run's table: 20 moments 0.25 s apart, then one at 9 s (a 4 s gap to
# measure the cost of waiting), two repetitions.  Default beeps: 5000
# samples, 104.2 ms.
TABLE=()
for i in $(seq 1 20); do TABLE+=("$(awk -v i="$i" 'BEGIN { printf "%g", i * 0.25 }')"); done
TABLE+=(9)
BEEP_S=$(awk 'BEGIN { printf "%.6f", 5000 / 48000 }')
"$TOOL" wav "$TMP/beep.wav" 100 25

start_timer() { # dir ini-name -> TIMER
    (cd "$1" && exec "$BIN" "$2" >"$1/log" 2>&1) &
    TIMER=$!
    PIDS+=("$TIMER")
}
# The time just before xdotool starts: key press to sound includes xdotool's
# own start (a few milliseconds), so it errs on the long side.
# Starts the timer on a settings file of $dir and times it from exec to its
# ready beep heard: sets TIMER and READY_MS.  The third argument is the
# length of a whole beep in frames for beeps (0: any length, as a MIDI beep).
start_to_ready() { # recording ini-name [threshold]
    record "$1"
    local t0 ready
    t0=$(now)
    start_timer "$dir" "$2"
    xdotool search --sync --limit 1 --name "Sorvane Timer" >/dev/null 2>&1 || true
    sleep 1.5
    stop_record
    ready=$(beeps "$1" "${3:-5000}" | awk -v t0="$t0" '$1 > t0 { print $1; exit }')
    READY_MS=$(ms "${ready:-0}" "$t0")
}

press() {
    local t
    t=$(now)
    xdotool key --delay 0 "$@" >/dev/null 2>&1
    echo "$t"
}
usage() { "$TOOL" usage "$@"; }
# CPU % of one core and wake-ups per second between two usage readings.
rate() { # "cpu0 sw0" "cpu1 sw1" t0 t1
    awk -v a="$1" -v b="$2" -v t0="$3" -v t1="$4" 'BEGIN {
        split(a, x, " "); split(b, y, " "); s = (t1 - t0) / 1e9
        printf "%.3f %% / %.1f/s", 100 * (y[1] - x[1]) / 1e9 / s, (y[2] - x[2]) / s }'
}
streams() { pactl list short sink-inputs | wc -l; }

row() { printf '  %-58s %s\n' "$1" "$2"; }

# Percentiles of a column of numbers.
pct() { # p file
    sort -g "$2" | awk -v p="$1" '{ v[NR] = $1 } END { if (NR == 0) { print "-"; exit }
        i = int(p * (NR - 1) + 0.5) + 1; printf "%.1f", v[i] }'
}

# -------------------------------------------------------------- one phase
phase() { # label title
    local P="$1" dir="$TMP/$1"
    mkdir -p "$dir"
    cp "$BUILD/beep.mid" "$dir/"
    settings 100 25 2 "${TABLE[@]}" >"$dir/run.ini"
    settings 100 25 1 10 20 >"$dir/long.ini"
    echo "== $2"

    # The server on its own, sink suspended.
    sleep 1.5
    local u0 u1 t0 t1
    t0=$(now); u0=$(usage "${SERVER[@]}"); sleep 3; u1=$(usage "${SERVER[@]}"); t1=$(now)
    row "sound server alone, idle: CPU / wake-ups" "$(rate "$u0" "$u1" "$t0" "$t1")"

    # Start-up: exec to the ready beep heard; memory once it is idle.
    start_to_ready "$P-start" run
    row "start to ready beep heard (tone beeps, beep.mid present)" "$READY_MS ms"
    row "resident memory idle, tone beeps" "$(awk '/VmRSS/ { print $2, $3 }' "/proc/$TIMER/status")"

    # Idle: a few seconds after the last sound.
    sleep 5
    row "audio streams open while idle (6.5 s after the last sound)" "$(streams)"
    t0=$(now); u0=$(usage "$TIMER"); local s0; s0=$(usage "${SERVER[@]}")
    sleep 4
    u1=$(usage "$TIMER"); local s1; s1=$(usage "${SERVER[@]}"); t1=$(now)
    row "program idle: CPU / wake-ups" "$(rate "$u0" "$u1" "$t0" "$t1")"
    row "sound server while the program idles: CPU / wake-ups" "$(rate "$s0" "$s1" "$t0" "$t1")"

    # A run after the long idle: 2 repetitions of the table.
    # Recorded in two parts around the 4 s gap of the first repetition, in
    # which CPU and wake-ups are measured.
    record "$P-run1"
    local key
    key=$(press F7)
    sleep 5.5
    stop_record
    sleep 0.2
    t0=$(now); u0=$(usage "$TIMER"); s0=$(usage "${SERVER[@]}")
    sleep 1.8
    u1=$(usage "$TIMER"); s1=$(usage "${SERVER[@]}"); t1=$(now)
    row "program between beeps of a run: CPU / wake-ups" "$(rate "$u0" "$u1" "$t0" "$t1")"
    row "sound server between beeps of a run: CPU / wake-ups" "$(rate "$s0" "$s1" "$t0" "$t1")"
    record "$P-run2" 1
    sleep 11
    stop_record
    { beeps "$P-run1"; beeps "$P-run2"; } >"$dir/run.beeps"
    awk -v key="$key" -v L="$BEEP_S" -v table="${TABLE[*]}" -v out="$dir" '
        BEGIN { n = split(table, m, " ") }
        { on[NR] = $1; off[NR] = $2; whole[NR] = $4 }
        END {
            printf "  %-58s %s\n", "beeps heard (expected " 1 + 2 * n ")", NR
            printf "  %-58s %.1f ms, %s\n", "start beep after a long idle: key press to heard", \
                (on[1] - key) / 1e6, (whole[1] ? "whole" : "DAMAGED")
            damaged = 0
            for (i = 2; i <= NR; i++) if (!whole[i]) damaged++
            printf "  %-58s %d of %d\n", "damaged beeps in the run", damaged, NR - 1
            # Beep k (from 2) is moment j of repetition r; the repetition
            # starts when the beep before its first moment has been heard.
            for (i = 2; i <= NR; i++) {
                j = (i - 2) % n + 1
                if (j == 1) ref = off[i - 1]
                late = (on[i] - ref) / 1e6 - m[j] * 1000
                print late > (out "/due")
                if (j > 1) { e = (on[i] - on[i - 1]) / 1e6 - (m[j] - m[j - 1]) * 1000; print (e < 0 ? -e : e) > (out "/spacing") }
                if (j == 1 && i > 2) printf "  %-58s %.2f ms\n", "next repetition: last beep heard to its start (rule: <= 1)", late
            }
        }' "$dir/run.beeps"
    row "spacing error between beeps, p50 / p99 / max" \
        "$(pct 0.5 "$dir/spacing") / $(pct 0.99 "$dir/spacing") / $(pct 1 "$dir/spacing") ms"
    row "due moment to heard, p50 / p99 / max" \
        "$(pct 0.5 "$dir/due") / $(pct 0.99 "$dir/due") / $(pct 1 "$dir/due") ms"

    # Restart pressed while a scheduled beep sounds, then Stop pressed
    # while a beep of the restarted run sounds.  A beep that starts while
    # another sounds joins it into one sound.  The keys are timed from the
    # Start beep as heard after a long idle (above): the stream has closed
    # again by then.  Repetition 1 starts when the Start beep (104 ms) has
    # sounded; Restart comes 40 ms into its beep at 0.5 s, and Stop 25 ms
    # into the first beep of the restarted run (a restart beep, from the
    # end of the beep it interrupted, then 250 ms).
    sleep 4
    local heard
    heard=$(awk -v key="$key" 'NR == 1 { printf "%.3f", ($1 - key) / 1e9 }' "$dir/run.beeps")
    record "$P-flags"
    local ka kp
    press F7 >/dev/null
    sleep "$(awk -v h="$heard" 'BEGIN { printf "%.3f", h + 0.104 + 0.5 + 0.04 }')"
    ka=$(press a)
    sleep "$(awk -v h="$heard" 'BEGIN { printf "%.3f", 0.104 - 0.04 + 0.03 + 0.104 + 0.25 + 0.025 }')"
    kp=$(press F8)
    sleep 1.2
    stop_record
    beeps "$P-flags" >"$dir/flags.beeps"
    awk -v ka="$ka" -v kp="$kp" -v L="$BEEP_S" '
        { on[NR] = $1; off[NR] = $2 }
        END {
            # The restart beep ends the first sound still going 20 ms after
            # the key; the restarted run counts its moments from there.
            for (r = 1; r <= NR && off[r] < ka + 20e6; r++);
            for (p = r; p <= NR && off[p] < kp + 20e6; p++);
            printf "  %-58s %.1f ms\n", "Restart key to its beep heard", (off[r] - ka) / 1e6 - L * 1000
            old = 0
            for (i = r + 1; i <= p && i <= NR; i++) {
                if (i == p && on[i] > kp + 25e6) break
                d = (on[i] - off[r]) / 1e6
                k = int(d / 250 + 0.5)
                if (k < 1 || d - k * 250 < -1 || d - k * 250 > 3) old++
                else if (k == 1) first = d - 250
            }
            printf "  %-58s %d\n", "beeps of the old run heard after the Restart beep", old
            printf "  %-58s %s\n", "restarted repetition: restart beep heard to first moment", \
                (first == "" ? "-" : sprintf("250 + %.2f ms", first))
            printf "  %-58s %d\n", "beeps heard after the Stop beep", (NR > p ? NR - p : 0)
        }' "$dir/flags.beeps"

    # Exit beep: the Exit button has the focus; the last sound before the
    # process ends.
    record "$P-exit"
    xdotool search --limit 1 --name "Sorvane Timer" windowfocus --sync key space >/dev/null 2>&1 || true
    for _ in $(seq 100); do kill -0 "$TIMER" 2>/dev/null || break; sleep 0.02; done
    sleep 0.3
    stop_record
    row "exit beep heard (of 104.2 ms)" \
        "$(beeps "$P-exit" 0 | tail -1 | awk '{ printf "%.1f ms", $3 / 48 }')"
    wait "$TIMER" 2>/dev/null || true

    # MIDI beeps: the first start renders the beep (FluidSynth and the sound
    # font are loaded only for that) and keeps it in the cache folder; the
    # second reads it back from there.
    settings 0 0 1 10 20 >"$dir/midi.ini"
    rm -rf "$XDG_CACHE_HOME/sorvane-timer"
    local how
    for how in "rendered" "from the cache"; do
        start_to_ready "$P-midi" midi 0
        row "start to ready beep heard, MIDI beeps, $how" "$READY_MS ms"
        row "resident memory idle, MIDI beeps, $how" "$(awk '/VmRSS/ { print $2, $3 }' "/proc/$TIMER/status")"
        kill "$TIMER" 2>/dev/null || true
        wait "$TIMER" 2>/dev/null || true
    done

    # Stop pressed while the Start beep sounds, with a first moment 10 s
    # away: Start must work again at once.
    record "$P-long"
    start_timer "$dir" long
    xdotool search --sync --limit 1 --name "Sorvane Timer" >/dev/null 2>&1 || true
    sleep 1
    local kl
    kl=$(press F7)
    sleep 0.04
    press F8 >/dev/null
    sleep 0.6
    press F7 >/dev/null
    sleep 0.4
    press F8 >/dev/null
    sleep 0.5
    stop_record
    kill "$TIMER" 2>/dev/null || true
    wait "$TIMER" 2>/dev/null || true
    row "F7, F8 during its beep, F7, F8: sounds heard (expected 3)" \
        "$(beeps "$P-long" 0 | awk -v k="$kl" '$2 > k - 20e6' | wc -l)"

    # Baseline: a shell loop plays the same beep with paplay at the moments
    # of the table's first 20 entries.
    record "$P-shell"
    local base
    base=$(now)
    local players=()
    for i in $(seq 0 19); do
        local due
        due=$(awk -v b="$base" -v m="${TABLE[$i]}" 'BEGIN { printf "%.0f", b + m * 1e9 }')
        sleep "$(awk -v d="$due" -v n="$(now)" 'BEGIN { s = (d - n) / 1e9; printf "%.4f", (s > 0 ? s : 0) }')"
        paplay "$TMP/beep.wav" &
        players+=($!)
    done
    wait "${players[@]}" 2>/dev/null || true
    sleep 0.5
    stop_record
    beeps "$P-shell" | awk -v base="$base" -v table="${TABLE[*]}" -v out="$dir" '
        BEGIN { split(table, m, " ") }
        { on[NR] = $1; whole[NR] = $4 }
        END {
            for (i = 1; i <= NR; i++) {
                print (on[i] - base) / 1e6 - m[i] * 1000 > (out "/shell-due")
                if (i > 1) { e = (on[i] - on[i - 1]) / 1e6 - (m[i] - m[i - 1]) * 1000; print (e < 0 ? -e : e) > (out "/shell-spacing") }
                if (!whole[i]) damaged++
            }
            printf "  %-58s %d of %d\n", "baseline paplay loop: beeps heard, damaged", damaged, NR
        }'
    row "baseline paplay loop: spacing error p50 / p99 / max" \
        "$(pct 0.5 "$dir/shell-spacing") / $(pct 0.99 "$dir/shell-spacing") / $(pct 1 "$dir/shell-spacing") ms"
    row "baseline paplay loop: due moment to heard p50 / p99 / max" \
        "$(pct 0.5 "$dir/shell-due") / $(pct 0.99 "$dir/shell-due") / $(pct 1 "$dir/shell-due") ms"
}

waits() { # file [note]: lateness of a beep call after long waits
    while read -r s late; do row "beep call after a $s s wait (real clock, Qt loop)" "$late ms late${2:-}"; done <"$1"
}

echo "Sound server: $(pactl info | sed -n 's/^Server Name: //p'), $([ "$BENCH_PIN" = 1 ] && echo "sink held at 5 ms while recording" || echo "nothing else playing")"
echo "Load average at start: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
"$RUNNER" wait 10 60 >"$TMP/waits-quiet" &
WAITS=$!
phase quiet "quiet" > >(tee "$TMP/quiet.txt")
wait "$WAITS" || true
waits "$TMP/waits-quiet" | tee -a "$TMP/quiet.txt"
[ -n "${BENCH_QUICK:-}" ] && exit 0

HOGS=()
for _ in $(seq "$(nproc)"); do
    (while :; do :; done) &
    HOGS+=($!)
    PIDS+=($!)
done
nice -n 10 "$RUNNER" wait 10 60 >"$TMP/waits-loaded" &
WAITS=$!
phase loaded "loaded: a CPU hog on each of $(nproc) cores" > >(tee "$TMP/loaded.txt")
wait "$WAITS" || true
waits "$TMP/waits-loaded" ", niced" | tee -a "$TMP/loaded.txt"
kill "${HOGS[@]}" 2>/dev/null || true
echo "Load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"

# Both phases side by side.
sleep 0.5
echo
echo "== Summary"
awk 'function trim(x) { sub(/ +$/, "", x); return x }
     FNR == NR && /^  / { key = trim(substr($0, 3, 58)); order[++n] = key; q[key] = substr($0, 62); next }
     /^  / { l[trim(substr($0, 3, 58))] = substr($0, 62) }
     END {
         printf "| %-58s | %-25s | %-25s |\n", "figure", "quiet", "loaded"
         printf "|%s|%s|%s|\n", "------------------------------------------------------------", \
             "---------------------------", "---------------------------"
         for (i = 1; i <= n; i++) printf "| %-58s | %-25s | %-25s |\n", order[i], q[order[i]], l[order[i]]
     }' "$TMP/quiet.txt" "$TMP/loaded.txt"
