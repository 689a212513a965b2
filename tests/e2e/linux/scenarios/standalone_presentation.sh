#!/bin/bash
# What we test: kel standalone writes the default files when they are missing
# (the same bytes as on Windows, kept byte for byte by the close's write),
# hides the pointer; with settings: ignores a movement before the first tick,
# refuses a second instance, shows a large centred title card and then the
# saying fitted to the screen and centred, and ends on a click, writing the
# index of the saying on screen.
. "$(dirname "$0")/../lib.sh"
lx_begin

x_move 1000 700
lx_start first
x_wait_window Form1 10 >/dev/null || e2e_fail "no window within 10 s"
sjis_write "$E2E_WORK/default.dat" "${KEL_DEFAULT_PHRASES[@]}"
sjis_write "$E2E_WORK/default.ini" "${KEL_DEFAULT_SETTINGS[@]}"
expect_same_bytes "default kel.dat" "$KEL_DAT" "$E2E_WORK/default.dat"
expect_same_bytes "default kel.ini" "$KEL_INI" "$E2E_WORK/default.ini"
e2e_expect_eq "pixels of the pointer drawn" "$(x_cursor_visible_pixels)" 0
x_click 1
lx_wait_exit first 5 || e2e_fail "a click did not end the saver"
e2e_expect_eq "exit code" "$(lx_exit_code first)" 0
expect_same_bytes "kel.ini after Frase_No=0 was written back" "$KEL_INI" "$E2E_WORK/default.ini"

lx_settings 0 0 0 0 2
lx_start second
x_wait_window Form1 10 >/dev/null || e2e_fail "no window within 10 s"
x_move 990 690
lx_start third
lx_wait_exit third 3 || e2e_fail "a second standalone instance did not end at once"
lx_expect_exit third 0
lx_exited second && e2e_fail "the saver ended before its first tick"
e2e_pass_check "a movement before the first tick and a second instance change nothing"

card=$(lx_wait_shot card card 10) || e2e_fail "no title card within 10 s"
expect_large_card "$(img_bright_bbox "$card")"
saying=$(lx_wait_shot saying saying 10) || e2e_fail "no saying within 10 s of the card"
read -r w h _ <<<"$(img_bright_bbox "$saying")"
[ "$w" -ge 600 ] && [ "$h" -le 120 ] || e2e_fail "the saying is not one wide line (box $w x $h)"
expect_centred_in "the whole saying" "$(img_bright_bbox "$saying")" 0 0 1024 768 12
x_click 1
lx_wait_exit second 2 || e2e_fail "a click did not end the saver"
lx_expect_exit second 0
e2e_expect_eq "Frase_No after a click on saying 2" "$(lx_frase_no)" 2
