#!/bin/bash
# What we test: with two monitors (a nested Xephyr with two heads side by
# side; XRandR names the first the primary) the saying appears on the primary
# monitor, centred there, and the other monitor, where a blue desktop was,
# is black.
. "$(dirname "$0")/../lib.sh"
lx_begin
command -v Xephyr >/dev/null || e2e_skip "no Xephyr (package xserver-xephyr)"
Xephyr -displayfd 3 -screen 1024x768 -screen 800x600 +xinerama -br -nolisten tcp -noreset \
    3>"$E2E_WORK/xephyr.display" >"$E2E_WORK/xephyr.log" 2>&1 &
LX_PIDS+=($!)
e2e_wait_until 20 grep -q '^[0-9][0-9]*$' "$E2E_WORK/xephyr.display" || e2e_fail "Xephyr did not start"
export DISPLAY=":$(head -1 "$E2E_WORK/xephyr.display")"
display -geometry +1024+0 -size 800x600 xc:#3366cc >/dev/null 2>&1 &
LX_PIDS+=($!)
e2e_wait_until 20 eval 'import -window root "$E2E_WORK/desk.png" 2>/dev/null &&
    img_area_colours "$E2E_WORK/desk.png" 1024 0 800 600 | grep -qx 3366cc' \
    || e2e_fail "the blue desktop did not appear"

lx_settings 0 1 0 0 1
lx_start two
saying=$(lx_wait_shot saying saying 15) || e2e_fail "no saying within 15 s"
expect_centred_in "saying on the primary monitor" "$(img_bright_bbox "$saying")" 0 0 1024 768 12
img_area_is "$saying" 1024 0 800 768 000000 || e2e_fail "the second monitor is not black"
e2e_pass_check "the second monitor is black"
x_click 1
lx_wait_exit two 3 || e2e_fail "a click did not end the saver"
