#!/bin/bash
# What we test: the pointer is not drawn over kel (it is on the desktop
# before); a pointer movement before the first tick changes nothing,
# one after it ends the run and writes the index of the saying on screen;
# SIGTERM does the same within moments; a one-shot run ends by itself after
# one saying, writing the next index. Each run's end is checked.
. "$(dirname "$0")/../lib.sh"
wl_begin
wl_hold_input

# The pointer left of where any card reaches; grim -c draws it in.
wl_as swaymsg seat seat0 cursor set 100 100 >/dev/null || e2e_fail "swaymsg failed"
pointer_area() { wl_as grim -c "$E2E_SHOTS/$1.png" && img_area_colours "$E2E_SHOTS/$1.png" 90 90 60 60 | sort -u | tr '\n' ' '; }
desktop=$(pointer_area desktop) || e2e_fail "grim failed"
[ "$desktop" != "3f3f3f " ] || e2e_fail "the pointer is not seen on the desktop: the check below would prove nothing"

# From saying 0 (no cards) the list wraps to 2, whose cards come second.
wl_settings 0 0 0 0 0
wl_start move
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
sleep 0.1
wl_as swaymsg seat seat0 cursor move 5 5 >/dev/null || e2e_fail "swaymsg failed"
wl_wait_shot card card 10 >/dev/null || e2e_fail "no title card within 10 s"
lx_exited move && e2e_fail "a movement before the first tick ended kel"
e2e_pass_check "a movement before the first tick changes nothing"
over=$(pointer_area pointer) || e2e_fail "grim failed"
e2e_expect_eq "colours where the pointer is, over kel's background ($over)" "$(wc -w <<<"$over")" 1
wl_as swaymsg seat seat0 cursor move 5 5 >/dev/null || e2e_fail "swaymsg failed"
wl_expect_end move 2 "a movement"
e2e_expect_eq "Frase_No after a movement during saying 2's cards" "$(lx_frase_no)" 2

wl_settings 0 0 0 0 0
wl_start term
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
# The output may show the last run's card until this run draws.
wl_wait_shot saying0 saying 10 >/dev/null || e2e_fail "no saying within 10 s"
wl_wait_shot card card 10 >/dev/null || e2e_fail "no title card within 10 s"
t0=$(date +%s%N)
kill -TERM "${WL_PID[term]}"
wl_expect_end term 2 "SIGTERM" 143
ms=$(e2e_ms_since "$t0")
e2e_expect_eq "Frase_No after SIGTERM during saying 2's cards" "$(lx_frase_no)" 2
[ "$ms" -le 400 ] || e2e_fail "the end took $ms ms after SIGTERM"
e2e_pass_check "ended ${ms} ms after SIGTERM (as seen from the shell)"

wl_settings 0 0 0 1 2
wl_start once
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
wl_wait_shot once saying 10 >/dev/null || e2e_fail "one-shot: no saying within 10 s"
wl_expect_end once 6 "one-shot"
e2e_expect_eq "one-shot: the next index is written" "$(lx_frase_no)" 1
