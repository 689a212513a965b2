#!/bin/bash
# What we test: the single-instance check holds for a program whose full path
# is 250 characters long (longer than a mutex name may be): a second start
# ends at once and the first saver runs on.
. "$(dirname "$0")/../lib.sh"
e2e_begin

# c:\ + 239 characters + \kel.scr
dir="$(printf 'k%.0s' {1..59})/$(printf 'e%.0s' {1..59})/$(printf 'l%.0s' {1..59})/$(printf 's%.0s' {1..59})"
kel_place_program "$dir"
path="c:\\${dir//\//\\}\\kel.scr"
e2e_expect_eq "length of the program's path" "${#path}" 250

x_move 512 150
kel_start first /s
x_wait_window Form1 20 >/dev/null || e2e_fail "the first saver shows no Form1 window within 20 s"
kel_start second /s
kel_wait_exit second 10 || e2e_fail "a second start from the long path still runs after 10 s"
e2e_expect_eq "Form1 windows after the second start" "$(x_window_count Form1)" 1
kel_running first || e2e_fail "the first saver ended when the second started"
e2e_pass_check "the second start ended, the first runs on"
x_click 1
kel_wait_exit first 10 || e2e_fail "a click did not end the first saver"
