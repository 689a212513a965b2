#!/bin/bash
# What we test: a copy of the saver in a folder whose name ends in
# "ｽﾀｰﾄｱｯﾌﾟ" runs one shot although the settings file says OneShot=0: it
# shows the start saying, ends by itself and writes the next index; the
# settings file keeps OneShot=0. The same settings in an ordinary folder keep
# the saver running until a click.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin

ini=("[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" "OneShot=0"
     "[StartUp]" "Frase_No=0")

# --- the start-up folder
sjis_write "$KEL_DAT" "*** 題 ***" "あ" "い"
sjis_write "$KEL_INI" "${ini[@]}"
kel_place_program "users/kel/AppData/Roaming/ｽﾀｰﾄ ﾒﾆｭｰ/ﾌﾟﾛｸﾞﾗﾑ/ｽﾀｰﾄｱｯﾌﾟ"
x_move 512 150
t0=$(e2e_now_ns)
kel_start startup /s
x_wait_window Form1 20 >/dev/null || e2e_fail "startup: no Form1 window within 20 s"
kel_wait_exit startup 30 || e2e_fail "startup: did not end by itself within 30 s"
one_shot_s=$(( $(e2e_ms_since "$t0") / 1000 + 1 ))
kel_expect_exit startup 0
e2e_pass_check "startup: one presentation, then the saver ended by itself (within $one_shot_s s)"
# Index 0 is followed by the last line, 2 of 0..2.
expected=("${ini[@]}")
expected[8]="Frase_No=2"
expect_sjis_nonblank_lines "startup: next index written, OneShot=0 left as it was" \
    "$KEL_INI" "${expected[@]}"

# --- an ordinary folder with the same settings
sjis_write "$KEL_INI" "${ini[@]}"
kel_place_program "Program Files/kel"
x_move 512 150
kel_start ordinary /s
x_wait_window Form1 20 >/dev/null || e2e_fail "ordinary: no Form1 window within 20 s"
# Running well past the time the one-shot run took.
if kel_wait_exit ordinary $((one_shot_s + 3)); then e2e_fail "ordinary: ended by itself"; fi
e2e_pass_check "ordinary: still running after $((one_shot_s + 3)) s"
x_click 1
kel_wait_exit ordinary 15 || e2e_fail "ordinary: a click did not end the saver within 15 s"
