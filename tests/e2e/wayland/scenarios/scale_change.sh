#!/bin/bash
# What we test: the output's scale changes while kel runs, from 1 to 2 and
# from 2 to 1: the saying then on screen and the title cards after it are
# drawn for the new scale, the saying centred within the output, each card
# large and centred (a surface left at the old scale shows them at half or
# twice the size, off centre or cut off); the pointer, where the layout at
# scale 2 no longer reaches, ends nothing.
. "$(dirname "$0")/../lib.sh"
wl_begin
wl_hold_input

wl_settings 0 0 0 0 2
for change in "1 2" "2 1"; do
    read -r from to <<<"$change"
    wl_as swaymsg output HEADLESS-1 scale "$from" >/dev/null || e2e_fail "setting scale $from failed"
    wl_as swaymsg seat seat0 cursor set 900 700 >/dev/null || e2e_fail "swaymsg failed"
    wl_start "run$from"
    wl_wait_shot "before$from" saying 15 >/dev/null || e2e_fail "scale $from: no saying within 15 s"
    wl_as swaymsg output HEADLESS-1 scale "$to" >/dev/null || e2e_fail "setting scale $to failed"
    sleep 0.3
    saying=$(wl_wait_shot "saying$from$to" saying 10) || e2e_fail "scale $from to $to: no saying"
    expect_centred_in "scale $from to $to: the saying" "$(img_bright_bbox "$saying")" 0 0 1024 768 12
    card=$(wl_wait_shot "card$from$to" card 10) || e2e_fail "scale $from to $to: no title card"
    expect_large_card "$(img_bright_bbox "$card")"
    kill -TERM "${WL_PID[run$from]}"
    wl_expect_end "run$from" 2 "SIGTERM at scale $to" 143
done
