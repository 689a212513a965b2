#!/bin/bash
# What we test: with -window-id kel draws into the given window only (its
# size is the screen: the card and the fitted saying centred in it; opaque in
# a window of a visual with alpha), takes
# no input there, and on SIGTERM writes Frase_No and ends within moments;
# options override the settings file without being stored; errors at start
# (no display, no such window, a phrase file that cannot be made) give one
# message and exit code 1, writing nothing.
. "$(dirname "$0")/../lib.sh"
lx_begin

"$E2E_BIN/plain_window" >"$E2E_WORK/window.id" &
LX_PIDS+=($!)
e2e_wait_until 5 grep -q 0x "$E2E_WORK/window.id" || e2e_fail "the test's window did not appear"
wid=$(cat "$E2E_WORK/window.id")

lx_settings 1 0 1 0 2       # random, large, sound on: all overridden below
lx_start hack -window-id "$wid" --order list -size small -sound off
card=$(lx_wait_shot card card 10) || e2e_fail "no title card in the window within 10 s"
expect_centred_in "small card in the window" "$(img_bright_bbox "$card")" 100 50 640 480 12
read -r _ h _ <<<"$(img_bright_bbox "$card")"
[ "$h" -le 110 ] || e2e_fail "-size small: the card is $h px tall"
x_click 1; x_key a
saying=$(lx_wait_shot saying saying 10) || e2e_fail "no saying in the window within 10 s"
expect_centred_in "saying fitted to the window" "$(img_bright_bbox "$saying")" 100 50 640 480 12
lx_exited hack && e2e_fail "input ended the saver in a window it does not own"
# The list order counts down from 2: the next tick shows 1.
lx_wait_shot card2 card 10 >/dev/null || e2e_fail "no second title card"
t0=$(date +%s%N)
kill -TERM "${LX_PID[hack]}"
lx_wait_exit hack 2 || e2e_fail "SIGTERM did not end the saver"
lx_expect_exit hack 143
ms=$(e2e_ms_since "$t0")
e2e_expect_eq "Frase_No after SIGTERM during saying 1" "$(lx_frase_no)" 1
[ "$ms" -le 400 ] || e2e_fail "the end took $ms ms after SIGTERM"
e2e_pass_check "ended ${ms} ms after SIGTERM (as seen from the shell)"
grep -q '^ViewMode=1' <(sjis_read "$KEL_INI") || e2e_fail "an option was stored in kel.ini"

# A window of a 32-bit visual with alpha: the background is opaque there too.
"$E2E_BIN/plain_window" argb >"$E2E_WORK/argb.id" &
LX_PIDS+=($!)
e2e_wait_until 5 grep -q 0x "$E2E_WORK/argb.id" || e2e_fail "no window of a 32-bit visual"
lx_start argb -window-id "$(cat "$E2E_WORK/argb.id")" -sound off
lx_wait_shot argb-card card 10 >/dev/null || e2e_fail "no title card in the 32-bit window"
pixel=$("$E2E_BIN/plain_window" pixel "$(cat "$E2E_WORK/argb.id")" 5 5)
e2e_expect_eq "the alpha of the 32-bit window's background" "${pixel:0:2}" ff
kill -TERM "${LX_PID[argb]}"
lx_wait_exit argb 2 && lx_expect_exit argb 143

rm -rf "$XDG_CONFIG_HOME/kel"
for case in "no display" "no such window" "phrase file blocked"; do
    case "$case" in
        "no display") (unset DISPLAY; lx_start bad) ;;
        "no such window") lx_start bad -window-id 0x7fffff ;;
        "phrase file blocked") mkdir -p "$KEL_DAT"; lx_start bad ;;
    esac
    lx_wait_exit bad 5 || e2e_fail "$case: did not end"
    e2e_expect_eq "$case: exit code" "$(lx_exit_code bad)" 1
    e2e_expect_eq "$case: lines on stderr, first" "$(head -1 "$E2E_WORK/bad.err" | cut -c1-4)" "kel:"
    e2e_log "$case: $(tr '\n' ' ' <"$E2E_WORK/bad.err")"
    [ ! -e "$KEL_INI" ] || e2e_fail "$case: kel.ini was written"
done
