# Listening: a private PulseAudio server with a null sink, and a recorder of
# it (tools/listen.c). All that is started here ends by PID before the
# scenario's own EXIT trap runs; so does a speech-dispatcher that a program
# started on the scenario's private XDG_RUNTIME_DIR (its PID is in a file).
LISTEN_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# listen_begin DIR — starts the server; exports PULSE_SERVER for the programs
# the scenario starts. Fails when PulseAudio is missing or does not come up.
listen_begin() {
    LISTEN_DIR="$1"; mkdir -p "$LISTEN_DIR"
    command -v pulseaudio >/dev/null && cc -O2 -o "$LISTEN_DIR/listen" "$LISTEN_LIB_DIR/tools/listen.c" -lpulse-simple -lpulse -lm || return 1
    local prev; prev=$(trap -p EXIT | sed -E "s/^trap -- '(.*)' EXIT$/\1/")
    trap "listen_end; ${prev:-:}" EXIT
    HOME="$LISTEN_DIR" XDG_RUNTIME_DIR="$LISTEN_DIR" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no --disable-shm=yes \
        --load="module-native-protocol-unix socket=$LISTEN_DIR/sock auth-anonymous=1" \
        --load="module-null-sink sink_name=cap norewinds=1" --load=module-always-sink \
        >"$LISTEN_DIR/pulseaudio.log" 2>&1 &
    LISTEN_SERVER_PID=$!
    export PULSE_SERVER="unix:$LISTEN_DIR/sock" PULSE_SOURCE=cap.monitor PULSE_SINK=cap
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# listen_start SECONDS OUT — records in the background into OUT; returns once
# the recorder is listening. It always listens to the private server, so a
# scenario may point its programs' PULSE_SERVER elsewhere.
listen_start() {
    PULSE_SERVER="unix:$LISTEN_DIR/sock" "$LISTEN_DIR/listen" "$1" >"$2" &
    LISTEN_REC_PID=$!
    sleep 0.3
}

# listen_wait — waits for the recording to end (SIGTERM ends it early).
listen_wait() { wait "$LISTEN_REC_PID"; LISTEN_REC_PID=; }

# listen_stop SECONDS — ends the recording SECONDS from now and waits for it.
listen_stop() { sleep "$1"; kill "$LISTEN_REC_PID" 2>/dev/null; listen_wait; }

listen_end() {
    local rc=$? p
    local sd="${XDG_RUNTIME_DIR:-/nonexistent}/speech-dispatcher" spd=
    [ -f "$sd/pid/speech-dispatcher.pid" ] && spd=$(cat "$sd/pid/speech-dispatcher.pid") \
        && tr '\0' ' ' <"/proc/$spd/cmdline" 2>/dev/null | grep -qF "$sd/speechd.sock" || spd=
    for p in ${LISTEN_REC_PID:-} $spd ${LISTEN_SERVER_PID:-}; do
        kill "$p" 2>/dev/null && { wait "$p" 2>/dev/null || e2e_wait_until 5 e2e_not_alive "$p"; }
    done
    LISTEN_REC_PID=; LISTEN_SERVER_PID=
    return $rc
}
