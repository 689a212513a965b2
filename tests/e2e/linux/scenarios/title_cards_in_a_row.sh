#!/bin/bash
# What we test: every title card is drawn at its own size, whatever size the
# saying before it was fitted to: four sayings in a row (a short one, a long
# one the fit loop shrinks, two more short ones), every frame of every card
# one character most of the screen high and centred, every saying centred.
. "$(dirname "$0")/../lib.sh"
lx_begin

lx_settings 0 0 0 0 4
sjis_write "$KEL_DAT" "*** 格言・迷言シリーズ ***" "中中中" "田田田" \
    "回回回回回回回回回回回回回回回回回回回回" "口口口"
"$E2E_BIN/bright_boxes" 18 >"$E2E_WORK/boxes.log" &
PROBE=$!
LX_PIDS+=($PROBE)
lx_start kel
wait $PROBE || e2e_fail "the screen probe failed"
lx_exited kel && e2e_fail "kel ended by itself (exit $(lx_exit_code kel)): $(cat "$E2E_WORK/kel.err")"
e2e_log "frames: $(tr '\n' ';' <"$E2E_WORK/boxes.log")"
cards=$(lx_check_boxes "$E2E_WORK/boxes.log" 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H") \
    || e2e_fail "frames wrong: $cards"
[ "$cards" -ge 4 ] || e2e_fail "$cards title cards seen in 18 s, expected 4"
e2e_pass_check "$cards title cards in a row, every frame one large centred character"
x_click 1
lx_wait_exit kel 3 || e2e_fail "a click did not end the saver"
e2e_expect_eq "exit code" "$(lx_exit_code kel)" 0
