#!/bin/bash
# What we test: standalone kel follows a change of monitors at once: when
# the primary monitor becomes the left half of the screen, the saying on
# screen is fitted and centred there within moments; when the screen shrinks
# (a resizeable Xephyr), the saying is centred in the new size, and the
# pointer the server moves into it is no movement of the user's. Without a
# Japanese font kel says so in one line naming what to install, and runs.
. "$(dirname "$0")/../lib.sh"
lx_begin

lx_settings 0 1 0 0 2
lx_start cover -sound off
saying=$(lx_wait_shot saying saying 15) || e2e_fail "no saying within 15 s"
expect_centred_in "the saying before the change" "$(img_bright_bbox "$saying")" 0 0 1024 768 12
xrandr --setmonitor '*half' 512/135x768/203+0+0 none >/dev/null 2>&1 || e2e_fail "xrandr cannot add a monitor"
sleep 0.4
moved=$(x_screenshot moved)
lx_exited cover && e2e_fail "kel ended at the change: $(cat "$E2E_WORK/cover.err")"
e2e_expect_eq "the saying still shown 0.4 s after the change" "$(lx_kind "$moved")" saying
expect_centred_in "the saying 0.4 s after the change" "$(img_bright_bbox "$moved")" 0 0 512 768 12
x_click 1
lx_wait_exit cover 3 || e2e_fail "a click did not end kel"
e2e_expect_eq "exit code" "$(lx_exit_code cover)" 0

# A smaller screen: Xephyr, whose screen XRandR can resize.
command -v Xephyr >/dev/null || e2e_fail "no Xephyr (package xserver-xephyr)"
Xephyr -displayfd 3 -screen 1024x768 -resizeable -br -nolisten tcp -noreset \
    3>"$E2E_WORK/xephyr.display" >"$E2E_WORK/xephyr.log" 2>&1 &
LX_PIDS+=($!)
e2e_wait_until 20 grep -q '^[0-9][0-9]*$' "$E2E_WORK/xephyr.display" || e2e_fail "Xephyr did not start"
OUTER=$DISPLAY
export DISPLAY=":$(head -1 "$E2E_WORK/xephyr.display")"
lx_settings 0 1 0 0 2
# The pointer where the smaller screen does not reach: the server moves it in.
x_move 900 700 || e2e_fail "the pointer did not move in Xephyr"
lx_start small -sound off
lx_wait_shot small-before saying 15 >/dev/null || e2e_fail "no saying in Xephyr within 15 s"
xrandr -s 800x600 >/dev/null 2>&1 || e2e_fail "xrandr cannot resize Xephyr's screen"
sleep 0.4
shrunk=$(x_screenshot shrunk)
e2e_expect_eq "the screen's size after xrandr -s" "$(identify -format '%wx%h' "$shrunk")" 800x600
lx_exited small && e2e_fail "kel ended at the resize: $(cat "$E2E_WORK/small.err")"
expect_centred_in "the saying 0.4 s after the screen shrank" "$(img_bright_bbox "$shrunk")" 0 0 800 600 12
x_click 1
lx_wait_exit small 3 || e2e_fail "a click did not end kel in Xephyr"
e2e_expect_eq "exit code in Xephyr" "$(lx_exit_code small)" 0
export DISPLAY=$OUTER

# Fonts without Japanese: only DejaVu.
printf '%s\n' '<?xml version="1.0"?>' '<!DOCTYPE fontconfig SYSTEM "fonts.dtd">' \
    '<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>' \
    "<cachedir>$E2E_WORK/fc-cache</cachedir></fontconfig>" >"$E2E_WORK/fonts.conf"
FONTCONFIG_FILE="$E2E_WORK/fonts.conf" lx_start nofont -sound off
x_wait_window Form1 10 >/dev/null || e2e_fail "no window without a Japanese font: $(cat "$E2E_WORK/nofont.err")"
e2e_expect_eq "lines on stderr without a Japanese font" "$(grep -c . "$E2E_WORK/nofont.err")" 1
grep -q 'fonts-ipafont-gothic.*fonts-noto-cjk' "$E2E_WORK/nofont.err" || e2e_fail "the warning names no font package: $(cat "$E2E_WORK/nofont.err")"
e2e_pass_check "one warning line: $(cat "$E2E_WORK/nofont.err")"
x_click 1
lx_wait_exit nofont 3 || e2e_fail "a click did not end kel"
e2e_expect_eq "exit code without a Japanese font" "$(lx_exit_code nofont)" 0
