#!/bin/bash
# What we test: the close step never waits on a speech or sound server that
# stopped answering (a stand-in speech server that answers until it has
# queued the first saying, then never again; a real PulseAudio stopped with
# SIGSTOP mid-card):
# SIGTERM mid-saying, and the display going away, end kel within 100 ms with
# Frase_No written, by the signal that was sent; a speech server kel starts
# for itself, and its output modules, end with kel, after SIGTERM and after
# SIGKILL alike; no process of kel's is left behind.
. "$(dirname "$0")/../lib.sh"
lx_begin
TOOLS="$(cd "$(dirname "$0")/../tools" && pwd)"
SPEECH_SOCK="$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock"   # where libspeechd looks by default
python3 "$TOOLS/mute_server.py" "$SPEECH_SOCK" "$E2E_WORK/mute/speech" >"$E2E_WORK/mute.log" 2>&1 &
LX_PIDS+=($!)
e2e_wait_until 5 grep -q listening "$E2E_WORK/mute.log" || e2e_fail "the stand-in server did not start"
. "$(dirname "$0")/../../listen_lib.sh"
listen_begin "$E2E_WORK/pulse" || e2e_skip "no PulseAudio server here"
# A stopped sound server is let go on the way out, whatever happens.
trap 'rc=$?; kill -CONT "$LISTEN_SERVER_PID" 2>/dev/null; (exit $rc); listen_end; lx_end' EXIT
mkdir -p "$(dirname "$KEL_DAT")"
sjis_write "$KEL_DAT" "*** 止まった相手 ***" "一二三四五六" "七八九十"

# start NAME SPEAK — a continuous run from saying 2 with sound (speech or
# cues), tagged so that every process it starts can be found; waits for the
# second tick (saying 1): its saying when speaking, else its card.
start() {
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=1" "Speak=$2" \
        "OneShot=0" "[StartUp]" "Frase_No=2"
    KEL_E2E_CASE="$1" lx_start "$1"
    lx_wait_shot "$1-1" card 12 >/dev/null || e2e_fail "$1: no title card"
    [ -z "${STOP_SOUND:-}" ] || kill -STOP "$LISTEN_SERVER_PID"
    lx_wait_shot "$1-2" saying 12 >/dev/null && lx_wait_shot "$1-3" card 12 >/dev/null \
        || e2e_fail "$1: no second title card ($(lx_exited "$1" && echo "ended $(lx_exit_code "$1"): $(cat "$E2E_WORK/$1.err")"))"
    [ "$2" = 0 ] || lx_wait_shot "$1-4" saying 12 >/dev/null || e2e_fail "$1: no second saying (the saver hangs)"
}
tagged() { grep -lzx "KEL_E2E_CASE=$1" /proc/[0-9]*/environ 2>/dev/null | grep -v "^/proc/self/"; }
no_tagged() { [ -z "$(tagged "$1")" ]; }
# ended NAME SIGNAL STATUS [TARGET] — sends SIGNAL to TARGET (default kel):
# kel ends within LIMIT_MS with STATUS, Frase_No 1 written, and nothing it
# started is left 3 s later. The aim is 100 ms (unloaded, kel takes under
# 15); the default limit leaves room for a loaded machine's scheduling and
# disk flushes, far below the seconds or the forever of a wait on a server.
LIMIT_MS=${LIMIT_MS:-250}
ended() {
    local ms
    ms=$(python3 "$TOOLS/end_time.py" "${LX_PID[$1]}" "$2" ${4:-})
    lx_wait_exit "$1" 3 || e2e_fail "$1: kel still runs after SIG$2 ($ms)"
    [ "$ms" != alive ] && awk -v ms="$ms" -v limit="$LIMIT_MS" 'BEGIN { exit !(ms <= limit) }' \
        || e2e_fail "$1: kel ended $ms ms after SIG$2"
    e2e_expect_eq "$1: exit status" "$(lx_exit_code "$1")" "$3"
    { [ "$2" = KILL ] && [ -z "${4:-}" ]; } || e2e_expect_eq "$1: Frase_No written" "$(lx_frase_no)" 1
    e2e_wait_until 3 no_tagged "$1" || e2e_fail "$1: left running: $(tagged "$1" | cut -d/ -f3 | xargs -r ps -o pid,args -p)"
    e2e_pass_check "$1: ended $ms ms after SIG$2, nothing left behind"
}

# The session's speech server (at the default socket) takes the first
# saying, then stops answering.
start speech 1
grep -q "silent $SPEECH_SOCK" "$E2E_WORK/mute.log" || e2e_fail "speech: the server never took a saying"
ended speech TERM 143

# The sound server stops (cues, no speech) after the first card began.
STOP_SOUND=1 start sound 0
ended sound TERM 143
kill -CONT "$LISTEN_SERVER_PID"

# No session server: kel starts its own, which ends with kel (and with it
# the output modules), whether kel closes or is killed.
if command -v speech-dispatcher >/dev/null; then
    rm -f "$SPEECH_SOCK"
    for how in TERM:143 KILL:137; do
        start "private-${how%:*}" 1
        tagged "private-${how%:*}" | cut -d/ -f3 | xargs -r ps -o args= -p | grep -q '^[^ ]*speech-dispatcher ' \
            || e2e_fail "private-${how%:*}: kel started no speech server"
        ended "private-${how%:*}" "${how%:*}" "${how#*:}"
        [ -z "$(ls -d "$XDG_RUNTIME_DIR"/kel-speech-* 2>/dev/null)" ] || e2e_fail "private-${how%:*}: its folder is left"
    done
else
    e2e_log "private: speech-dispatcher is not installed; not tried"
fi

# The display goes away while the speech server (SPEECHD_ADDRESS) has
# stopped answering and the sound server is stopped.
kill -STOP "$LISTEN_SERVER_PID"
SPEECHD_ADDRESS="unix_socket:$E2E_WORK/mute/speech" start display 1
grep -q "silent $E2E_WORK/mute/speech" "$E2E_WORK/mute.log" || e2e_fail "display: the server never took a saying"
ended display KILL 0 "$(cat "$E2E_WORK/xvfb.pid")"
kill -CONT "$LISTEN_SERVER_PID"
