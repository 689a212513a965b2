#!/bin/bash
# What we test: with no argument and with "/s" the saver opens one visible
# window titled "Form1" that covers the whole 1024 x 768 screen from its
# top-left corner, black, and draws no pointer over it; a click ends it.
. "$(dirname "$0")/../lib.sh"
e2e_begin

# The X server's own pointer is drawn before the saver runs: proves that the
# probe sees a visible pointer when there is one.
x_move 512 150
root_pixels=$(x_cursor_visible_pixels) || e2e_fail "cannot read the pointer image"
[ "$root_pixels" -gt 0 ] || e2e_fail "the probe sees no pointer even without the saver"

check_saver_window() {
    local label="$1"; shift
    kel_start "$label" "$@"
    local wid
    wid=$(x_wait_window Form1 20) || e2e_fail "$label: no window titled Form1 within 20 s"
    # Pictures first: the first tick comes one second after the window.
    local shot
    shot=$(x_screenshot "$label-first") || e2e_fail "$label: no screenshot"
    e2e_expect_eq "$label: one Form1 window" "$(x_window_count Form1)" 1
    e2e_expect_eq "$label: covers the screen from 0,0" "$(x_geometry "$wid")" "0 0 1024 768"
    # Text, once a tick shows some, is centred; the bands above and below
    # it and the area under the pointer must be plain black.
    e2e_check "$label: top band black" img_area_is "$shot" 0 0 1024 300 000000
    e2e_check "$label: bottom band black" img_area_is "$shot" 0 470 1024 298 000000
    e2e_check "$label: area under the pointer black" img_area_is "$shot" 482 120 60 60 000000
    e2e_expect_eq "$label: pointer drawn over the saver (visible pixels)" "$(x_cursor_visible_pixels)" 0
    kel_running "$label" || e2e_fail "$label: the saver ended by itself"
    x_click 1
    kel_wait_exit "$label" 10 || e2e_fail "$label: a click did not end the saver within 10 s"
    x_wait_no_window Form1 5 || e2e_fail "$label: the window stayed after the end"
    e2e_pass_check "$label: a click ends it"
}

check_saver_window no-argument
check_saver_window slash-s /s
