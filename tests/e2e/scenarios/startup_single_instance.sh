#!/bin/bash
# What we test: while a saver runs, a second start of the same program ends
# at once whatever its switch ("/s" and "/c"), opens no second saver and no
# settings dialog, and leaves the first one running.
. "$(dirname "$0")/../lib.sh"
e2e_begin

x_move 512 150
kel_start first /s
x_wait_window Form1 20 >/dev/null || e2e_fail "the first saver shows no Form1 window within 20 s"

for sw in /s /c; do
    name="second${sw//\//-}"
    kel_start "$name" "$sw"
    kel_wait_exit "$name" 10 || e2e_fail "second start with $sw still running after 10 s"
    kel_expect_exit "$name" 0
    e2e_expect_eq "Form1 windows after the second start with $sw" "$(x_window_count Form1)" 1
    e2e_expect_eq "dialog windows after the second start with $sw" "$(x_window_count 'メッセージエディター')" 0
    kel_running first || e2e_fail "the first saver ended when the second started with $sw"
done
e2e_pass_check "the first saver still runs"

x_click 1
kel_wait_exit first 10 || e2e_fail "a click did not end the first saver"
kel_expect_exit first 0

# The instance check must not outlive the instance: a new start runs again.
kel_start third /s
x_wait_window Form1 20 >/dev/null || e2e_fail "a start after the first ended shows no Form1 window"
e2e_pass_check "a start after the end runs again"
x_click 1
kel_wait_exit third 10 || e2e_fail "a click did not end the third saver"
kel_expect_exit third 0
