#!/bin/bash
# What we test: what kel takes from its environment, each where a fault
# would show.
#  - no XDG_CONFIG_HOME: the default files are written in ~/.config/kel;
#  - no XDG_RUNTIME_DIR: the lock is /tmp/kel-$UID/kel.lock, and a second
#    kel started beside a running one ends at once (exit 0), the first going
#    on;
#  - SIGINT and SIGHUP each end it as SIGTERM does: Frase_No of the saying on
#    screen written, exit 0;
#  - $XSCREENSAVER_WINDOW: kel draws into that window, its size the screen;
#    with Xft.dpi 192 a 72-point card is twice as tall as at 96 DPI.
. "$(dirname "$0")/../lib.sh"
lx_begin

export HOME="$E2E_WORK/home"; mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_RUNTIME_DIR
KEL_INI="$HOME/.config/kel/kel.ini"; KEL_DAT="$HOME/.config/kel/kel.dat"
lock="/tmp/kel-$(id -u)/kel.lock"

# --- the defaults of both folders
x_move 1000 700
lx_start first
x_wait_window Form1 10 >/dev/null || e2e_fail "no window within 10 s"
e2e_wait_until 5 test -s "$KEL_DAT" || e2e_fail "no kel.dat in ~/.config/kel"
sjis_write "$E2E_WORK/default.dat" "${KEL_DEFAULT_PHRASES[@]}"
expect_same_bytes "the default kel.dat in ~/.config/kel" "$KEL_DAT" "$E2E_WORK/default.dat"
e2e_check "the lock in /tmp/kel-\$UID" test -f "$lock"
lx_start second
lx_wait_exit second 3 || e2e_fail "a second kel beside the first did not end at once"
lx_expect_exit second 0
lx_exited first && e2e_fail "the first kel ended when the second started"
x_click 1
lx_wait_exit first 5 || e2e_fail "a click did not end the first kel"
lx_expect_exit first 0

# --- SIGINT and SIGHUP: from 2 in list order, the second card is saying 1
# (cards of six characters: long enough for screenshots to catch).
sjis_write "$KEL_DAT" "*** 題 ***" "口口口口口口" "田田田田田田"
for sig in INT HUP; do
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
        "OneShot=0" "[StartUp]" "Frase_No=2"
    lx_start "$sig"
    lx_wait_shot "$sig-card" card 10 >/dev/null || e2e_fail "SIG$sig: no title card within 10 s"
    lx_wait_shot "$sig-saying" saying 10 >/dev/null || e2e_fail "SIG$sig: no saying within 10 s"
    lx_wait_shot "$sig-card2" card 10 >/dev/null || e2e_fail "SIG$sig: no second title card within 10 s"
    kill -"$sig" "${LX_PID[$sig]}"
    lx_wait_exit "$sig" 2 || e2e_fail "SIG$sig did not end kel"
    lx_expect_exit "$sig" $((128 + $(kill -l "$sig")))  # ended by that signal, after the close step
    e2e_expect_eq "SIG$sig: Frase_No of the saying on screen" "$(lx_frase_no)" 1
done

# --- $XSCREENSAVER_WINDOW, at 192 DPI
"$E2E_BIN/plain_window" >"$E2E_WORK/window.id" &
LX_PIDS+=($!)
e2e_wait_until 5 grep -q 0x "$E2E_WORK/window.id" || e2e_fail "the test's window did not appear"
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	192
" || e2e_fail "cannot set Xft.dpi"
XSCREENSAVER_WINDOW=$(cat "$E2E_WORK/window.id") lx_start hack -root -size small
card=$(lx_wait_shot hack-card card 10) || e2e_fail "no title card in the window within 10 s"
expect_centred_in "card in \$XSCREENSAVER_WINDOW" "$(img_bright_bbox "$card")" 100 50 640 480 12
read -r _ h _ <<<"$(img_bright_bbox "$card")"
# 72 points: a 96-pixel cell at 96 DPI ("口" inks about 70 px), 192 at 192.
[ "$h" -ge 120 ] && [ "$h" -le 192 ] || e2e_fail "Xft.dpi 192: the 72-point card is $h px tall"
e2e_pass_check "Xft.dpi 192: the 72-point card is $h px tall"
kill -TERM "${LX_PID[hack]}"
lx_wait_exit hack 2 || e2e_fail "SIGTERM did not end kel"
lx_expect_exit hack 143
