#!/usr/bin/env bash
# Timing and resource figures of the timer.  Prints tables; not a test.
#   1. the runner inside a Qt event loop (sorvane-bench, offscreen);
#   2. the real program under Xvfb with its audio captured to a file:
#      start-up to ready beep (tone and MIDI), CPU while a run waits,
#      resident memory idle and running, and due moment to audible beep.
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
BIN="$BUILD/sorvane-timer"
TMP=$(mktemp -d)
XPID=""
TPID=""
cleanup() {
    for p in "$TPID" "$XPID"; do [ -n "$p" ] && kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$TMP"
}
trap cleanup EXIT

echo "== Cycle runner in a Qt event loop (real tick counter)"
QT_QPA_PLATFORM=offscreen "$BUILD/sorvane-bench"
echo

for n in $(seq 161 220); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then D=$n; break; fi
done
Xvfb ":$D" -nolisten tcp -noreset -screen 0 800x600x24 >/dev/null 2>&1 &
XPID=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$D" ] && break; sleep 0.05; done
export DISPLAY=":$D" XDG_SESSION_TYPE=x11
unset WAYLAND_DISPLAY

settings() { # pitch duration repetitions custom-list...
    local pitch=$1 dur=$2 reps=$3; shift 3
    printf '%s\r\n' '118,"Start_Key_Code"' '65,"Restart_Key_Code"' '119,"Stop_Key_Code"' \
        "$pitch,\"Beep_Pitch\"" "$dur,\"Beep_Duration\"" "$reps,\"Cycle_Repetitions\"" \
        '5,"Warning_Beeps_per_Second"' "$([ $# -gt 0 ] && echo 1 || echo 0),\"Custom_Beeps_yes1_no0\"" \
        '60,"Cycle_Time"' '1,"Cycle_Units_sec1_min0"' '1,"Enable_Periodic_Warnings_During_Cycle"' \
        '10,"Periodic_Warning_Time."' '1,"Enable_Final_Countdown"' '5,"Final_Countdown_Time"' \
        '1,"Final_Countdown_Beeps_Per_Second"' "$@"
}

now_ms() { date +%s%3N; }
rss_kb() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Start-up to ready beep: from exec until the first sound sample reaches the
# captured output (the disk driver writes in real time, ~20 ms chunks).
startup() { # label pitch
    local dir="$TMP/start-$1"
    mkdir -p "$dir"
    cp "$BUILD/beep.mid" "$dir/"
    settings "$2" 25 1 >"$dir/s.ini"
    local t0; t0=$(now_ms)
    (cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" exec "$BIN" s >/dev/null 2>&1) &
    TPID=$!
    local t1=""
    for _ in $(seq 1000); do
        if [ -s "$dir/out.raw" ] && [ -n "$("$BUILD/e2e-onsets" "$dir/out.raw" 1 48000 50 | head -1)" ]; then
            t1=$(now_ms); break
        fi
        sleep 0.005
    done
    kill "$TPID"; wait "$TPID" 2>/dev/null || true; TPID=""
    printf '%-52s %9s ms\n' "start-up to ready beep heard ($1)" "$((t1 - t0))"
}

echo "== The real program (Xvfb, SDL disk audio)"
printf '%-52s %12s\n' "figure" "value"
startup tone 100
startup midi 0

# A run of the default-sized beeps against a dense custom list: moments every
# 0.25 s for 10 s, then measure lateness in the captured audio relative to the
# start beep (the output latency is common to both and cancels out).
dir="$TMP/run"
mkdir -p "$dir"
list=()
for i in $(seq 1 40); do list+=("$(awk -v i="$i" 'BEGIN { printf "%g", i * 0.25 }')"); done
settings 12 40 1 "${list[@]}" >"$dir/s.ini"
(cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" exec "$BIN" s >/dev/null 2>&1) &
TPID=$!
xdotool search --sync --limit 1 --name "Sorvane Timer" >/dev/null 2>&1 || true
sleep 1.5
printf '%-52s %9s kB\n' "resident memory, idle" "$(rss_kb "$TPID")"
c0=$(cpu_ticks "$TPID")
xdotool key F7
sleep 0.5
c1=$(cpu_ticks "$TPID")
t1=$(now_ms)
sleep 9
c2=$(cpu_ticks "$TPID")
t2=$(now_ms)
printf '%-52s %9s kB\n' "resident memory, running" "$(rss_kb "$TPID")"
hz=$(getconf CLK_TCK)
awk -v c="$((c2 - c1))" -v hz="$hz" -v ms="$((t2 - t1))" \
    'BEGIN { printf "%-52s %9.2f %%\n", "CPU of one core during a run (40 beeps in 10 s)", 100 * c / hz / (ms / 1000) }'
sleep 1.5
kill "$TPID"; wait "$TPID" 2>/dev/null || true; TPID=""
"$BUILD/e2e-onsets" "$dir/out.raw" 1 48000 60 >"$dir/onsets"
# onsets: ready beep, start beep, then the 40 moments.  Beeps last 20 ms, so
# moment i is due 20 ms (the start beep) + i*250 ms + 1 ms after the start
# beep.  Drivers that write to a file pace themselves by sleeping and run a
# little fast or slow against the wall clock, so the capture's time scale is
# fitted (a straight line through due time and sound time); what is left is
# the jitter of each beep around its due moment.
awk 'NR == 2 { s = $1 } NR > 2 { i = NR - 2; print 20 + i * 250 + 1, ($1 - s) * 1000 }' "$dir/onsets" >"$dir/pairs"
n=$(wc -l <"$dir/pairs")
awk '{ x[NR] = $1; y[NR] = $2; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2 }
     END {
         b = (NR * sxy - sx * sy) / (NR * sxx - sx * sx); a = (sy - b * sx) / NR
         for (i = 1; i <= NR; i++) { r = y[i] - (a + b * x[i]); print (r < 0 ? -r : r) > "/dev/stderr" }
         printf "%-52s %9.2f %%\n", "capture clock against the wall clock", (b - 1) * 100
         printf "%-52s %9.1f ms\n", "fitted offset of each beep from its due moment", a
     }' "$dir/pairs" 2> >(sort -n >"$dir/jitter")
sleep 0.2
p50=$(awk -v n="$n" 'NR == int(n * 0.5 + 0.5) { print }' "$dir/jitter")
p99=$(awk -v n="$n" 'NR == int(n * 0.99 + 0.5) { print }' "$dir/jitter")
max=$(tail -1 "$dir/jitter")
printf '%-52s %12s\n' "beeps found in the audio (of 40)" "$n"
printf '%-52s %9.1f ms\n' "jitter of a beep around its due moment, p50" "$p50"
printf '%-52s %9.1f ms\n' "jitter of a beep around its due moment, p99" "$p99"
printf '%-52s %9.1f ms\n' "jitter of a beep around its due moment, max" "$max"
echo
echo "Every sound is placed one device buffer after the moment it is handed"
echo "over (1024 frames, 21.3 ms at 48 kHz): that is the due-to-audible latency"
echo "on a sound card; the jitter above is what varies from beep to beep."
