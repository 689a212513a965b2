#!/bin/bash
# What we test: `kel -window -geometry 640x480+50+40` opens a window of its
# own titled kel at that place and size, warns once for each option it
# takes without honouring; a resize in the middle of a saying lays the saying
# out again at once, fitted and centred in the new size; q ends it.
. "$(dirname "$0")/../lib.sh"
lx_begin

lx_settings 0 0 0 0 2
lx_start win -window -geometry 640x480+50+40 -visual TrueColor -fps
id=$(x_wait_window kel 10 | head -1) || e2e_fail "no window titled kel within 10 s"
[ -n "$id" ] || e2e_fail "no window titled kel within 10 s"
e2e_expect_eq "the window's place and size" "$(x_geometry "$id")" "50 40 640 480"
e2e_expect_eq "warnings on stderr" "$(grep -c '^kel: -\(visual\|fps\)' "$E2E_WORK/win.err")" 2
saying=$(lx_wait_shot saying saying 15) || e2e_fail "no saying within 15 s"
expect_centred_in "the saying in the window" "$(img_bright_bbox "$saying")" 50 40 640 480 12
xdotool windowsize "$id" 900 300
sleep 0.3
resized=$(x_screenshot resized)
lx_exited win && e2e_fail "kel ended at the resize: $(cat "$E2E_WORK/win.err")"
e2e_expect_eq "the saying still shown 0.3 s after the resize" "$(lx_kind "$resized")" saying
expect_centred_in "the saying 0.3 s after the resize to 900x300" "$(img_bright_bbox "$resized")" 50 40 900 300 12

x_move 300 200
xdotool key q
lx_wait_exit win 3 || e2e_fail "q did not end kel"
e2e_expect_eq "exit code after q" "$(lx_exit_code win)" 0
x_wait_no_window kel 2 || e2e_fail "the window stayed after q"
