#!/bin/bash
# What we test: before the first tick (one second after the window opens) a
# mouse movement and a key press do nothing; once the first tick has begun a
# mouse movement ends the saver, and so does a key press. In one-shot mode
# neither ends it: the saver ends by itself after its one presentation.
. "$(dirname "$0")/../lib.sh"
e2e_begin

sjis_write "$KEL_INI" "[View]" "ViewMode=0" "[Mode]" "Sound=0" "Speak=0" "OneShot=0" "[StartUp]" "Frase_No=0"

# ends_after_armed LABEL INPUT... — starts the saver, sends early input,
# waits past the first tick, checks it still runs, then sends INPUT.
ends_after_armed() {
    local label="$1"; shift
    x_move 100 100
    kel_start "$label" /s
    local wid
    # Poll often: the early input must land within the first second.
    wid=$(E2E_POLL=0.02 x_wait_window Form1 20) || e2e_fail "$label: no Form1 window within 20 s"
    local t0; t0=$(e2e_now_ns)
    xdotool mousemove 300 300
    x_key space
    local early_ms; early_ms=$(e2e_ms_since "$t0")
    # The rule is about input before the first tick; input sent later would
    # prove nothing.
    [ "$early_ms" -lt 700 ] || e2e_fail "$label: the early input took ${early_ms} ms to send; too late to test"
    sleep 2.5
    kel_running "$label" || e2e_fail "$label: a mouse move and a key before the first tick ended the saver"
    e2e_pass_check "$label: early move and key ignored (sent within ${early_ms} ms)"
    "$@"
    kel_wait_exit "$label" 10 || e2e_fail "$label: '$*' after the first tick did not end the saver within 10 s"
    e2e_pass_check "$label: '$*' after the first tick ends the saver"
    x_wait_no_window Form1 5 || e2e_fail "$label: the window stayed after the end"
}

ends_after_armed mouse x_move 301 300
ends_after_armed key x_key Escape

# One-shot: a long saying keeps the first tick busy with its title card for
# several seconds; input during it must not end the saver. The index written
# at the end tells who ended it: input would save the loaded 1, the end of
# the presentation saves the next one, 0.
oneshot_ini=("[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" "OneShot=1" "[StartUp]" "Frase_No=1")
sjis_write "$KEL_INI" "${oneshot_ini[@]}"
# 35 characters: a title card of about seven seconds.
sjis_write "$KEL_DAT" "*** テスト ***" "いろはにほへとちりぬるをわかよたれそつねならむうゐのおくやまけふこえて"
x_move 100 100
kel_start oneshot /s
x_wait_window Form1 20 >/dev/null || e2e_fail "one-shot: no Form1 window within 20 s"
sleep 2.5
kel_running oneshot || e2e_fail "one-shot: ended before any input"
x_move 400 400
x_key space
# Input that ends the saver takes its window down at once and its process
# within about two seconds.
sleep 3
{ kel_running oneshot && [ "$(x_window_count Form1)" = 1 ]; } \
    || e2e_fail "one-shot: a mouse move and a key during the title card ended the saver"
e2e_pass_check "one-shot: input during the presentation ignored"
kel_wait_exit oneshot 30 || e2e_fail "one-shot: did not end by itself within 30 s"
e2e_pass_check "one-shot: ended by itself"
expected=("${oneshot_ini[@]}")
expected[8]="Frase_No=0"
expect_sjis_nonblank_lines "one-shot: the next index written" "$KEL_INI" "${expected[@]}"
