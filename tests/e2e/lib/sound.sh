# Sourced by the end-to-end scripts: a PulseAudio server of the test's own
# (its runtime folder under $XDG_RUNTIME_DIR, a null sink at 48 kHz) whose
# monitor is recorded to a file, 16-bit mono.  Needs fail() and a $TMP of
# the calling script; sets PULSE_SERVER for the programs it starts.

SOUND_BYTES_PER_SECOND=96000
SOUND_PIDS=()

start_sound_server() {
    mkdir -p "$XDG_RUNTIME_DIR" "$TMP/pulse-home"
    chmod 700 "$XDG_RUNTIME_DIR"
    printf '%s\n' 'load-module module-null-sink sink_name=e2e rate=48000' 'set-default-sink e2e' \
        'load-module module-native-protocol-unix' >"$TMP/server.pa"
    HOME="$TMP/pulse-home" pulseaudio -n -F "$TMP/server.pa" --daemonize=no --use-pid-file=no \
        --exit-idle-time=-1 --log-target=file:"$TMP/server.log" &
    SOUND_PIDS+=($!)
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
    local tries
    for tries in $(seq 200); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || fail "the sound server did not start"
    # A silent stream holds the sink at 5 ms of latency, so the recording of
    # its monitor follows what the sink plays closely and without breaks.
    pacat -p --raw --format=s16le --rate=48000 --channels=1 --latency-msec=5 </dev/zero &
    SOUND_PIDS+=($!)
}

# Records the monitor into a file until stop_recording; returns once the
# sink has woken up (a null sink that just woke plays 2 s of silence in
# front of everything else, so the recording must have passed them).
RECORD_PID=""
start_recording() { # file
    RECORDING=$1
    parec -d e2e.monitor --raw --format=s16le --rate=48000 --channels=1 --latency-msec=10 >"$RECORDING" &
    RECORD_PID=$!
    local deadline=$((SECONDS + 30))
    until recorded_past 2.5; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the recording of the sound server did not run"
        sleep 0.02
    done
}

stop_recording() {
    [ -n "$RECORD_PID" ] && kill "$RECORD_PID" 2>/dev/null && wait "$RECORD_PID" 2>/dev/null || true
    RECORD_PID=""
}

# True once the recording holds that many seconds of audio.
recorded_past() { # seconds
    [ "$(stat -c %s "$RECORDING" 2>/dev/null || echo 0)" -ge "$(awk -v s="$1" -v b="$SOUND_BYTES_PER_SECOND" \
        'BEGIN { printf "%d", s * b }')" ]
}

stop_sound_server() {
    stop_recording
    local p
    for p in "${SOUND_PIDS[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    SOUND_PIDS=()
}
