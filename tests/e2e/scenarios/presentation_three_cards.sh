#!/bin/bash
# What we test: not only the first title card is right. Over three ticks in a
# row (list order from index 3: sayings of 5, 4 and 3 characters), every tick
# shows its title card one character at a time, each character alone, as many
# as the saying has, and then the whole saying. Watched with screen_probe (a change
# of the screen's middle rows, timed to the millisecond).
. "$(dirname "$0")/../lib.sh"
e2e_begin
cc -O1 -o "$E2E_WORK/screen_probe" "$E2E_LIB_DIR/../bench/screen_probe.c" -lX11 || e2e_fail "no screen probe"

sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=3"
sjis_write "$KEL_DAT" "*** 題 ***" "田口山" "川目回日" "中口田山目"

x_move 1000 20
"$E2E_WORK/screen_probe" "$E2E_WORK/seen" 30 &
probe=$!
kel_start saver /s
x_wait_window Form1 20 >/dev/null || e2e_fail "no Form1 window within 20 s"
# Three sayings, each after a card.
sayings() { awk '$3 > 0 && $2 > 200 && !w { n++; w = 1 } $3 > 0 && $2 <= 120 { w = 0 } END { print n + 0 }' "$E2E_WORK/seen"; }
third() { [ "$(sayings)" -ge 3 ]; }
e2e_wait_until 25 third || e2e_log "saw $(sayings) sayings within 25 s"
sleep 0.2
kill "$probe" 2>/dev/null; wait "$probe" 2>/dev/null
kel_running saver || e2e_fail "the saver ended by itself"
x_click 1
kel_wait_exit saver 10 || e2e_fail "a click did not end the saver within 10 s"
kel_expect_exit saver 0

# One line per stretch: "card N" for N different single characters in a row,
# "line W" for a wide line of W pixels. Only what stayed on screen for 80 ms
# counts (a repaint that comes in parts on a loaded machine is one picture);
# a card's character is a new one when its bright pixel count changes.
awk 'function settle(kind, w, c) {
         if (kind == "card") { if (mode != "card") { flush(); mode = "card"; n = 0; lastc = -1 }
                               if (c != lastc) { n++; lastc = c } }
         else if (kind == "line" && mode != "line") { flush(); mode = "line"; lw = w } }
     function flush() { if (mode == "card") print "card", n; else if (mode == "line") print "line", lw }
     { if (have && $1 - pt >= 80) settle(pk, pw, pc)
       have = 1; pt = $1; pw = $2; pc = $3; pk = ($3 == 0) ? "blank" : ($2 <= 120 ? "card" : "line") }
     END { if (have) settle(pk, pw, pc); flush() }' "$E2E_WORK/seen" >"$E2E_WORK/stretches"
cp "$E2E_WORK/seen" "$E2E_SHOTS/seen.txt"
e2e_log "seen: $(tr '\n' ' ' <"$E2E_WORK/stretches")"
e2e_expect_eq "three cards, each as long as its saying, each followed by its saying" \
    "$(awk '{ print $1 ($1 == "card" ? " " $2 : "") }' "$E2E_WORK/stretches" | head -6 | tr '\n' ',')" \
    "card 5,line,card 4,line,card 3,line,"
