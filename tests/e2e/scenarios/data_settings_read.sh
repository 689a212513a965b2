#!/bin/bash
# What we test: how the saver reads the settings file.
#  - A start-index section spelled "[STARTUP]" serves Frase_No, and the
#    saver's write at the end lands in that same section (no second one):
#    one shot from index 3 ends by itself and writes 2 there.
#  - A value outside the 16-bit range (Sound=40000) stops the saver before
#    its window shows, with a message box that names the file, the key and
#    the value; neither data file is written, and OK ends the program.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

phrases=("*** 題 ***" "あ" "い" "う" "え")
sjis_write "$KEL_DAT" "${phrases[@]}"
cp "$KEL_DAT" "$E2E_WORK/own.dat"

# --- [STARTUP] in capitals
ini=("kelテスト" "" "[View]" "ViewMode=0" "FontMode=0" "" "[Mode]" "Sound=0" "Speak=0"
     "OneShot=1" "" "[STARTUP]" "Frase_No=3")
sjis_write "$KEL_INI" "${ini[@]}"
x_move 512 150
kel_start capitals /s
x_wait_window Form1 20 >/dev/null || e2e_fail "capitals: no Form1 window within 20 s"
kel_wait_exit capitals 30 || e2e_fail "capitals: one shot did not end by itself within 30 s"
e2e_pass_check "capitals: one shot ended by itself"
expected=("${ini[@]}")
expected[12]="Frase_No=2"
expect_sjis_nonblank_lines "capitals: index 3 was read, 2 written into [STARTUP]" \
    "$KEL_INI" "${expected[@]}"
expect_same_bytes "capitals: the phrase file untouched" "$KEL_DAT" "$E2E_WORK/own.dat"

# --- a value out of range
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "[Mode]" "Sound=40000" "[StartUp]" "Frase_No=1"
cp "$KEL_INI" "$E2E_WORK/overflow.ini"
kel_start overflow /s
outcome=$(data_outcome overflow 30)
e2e_expect_eq "overflow: the saver reports instead of running" "$outcome" reports
data_report_has overflow 'c:\windows\kel.ini' '[Mode] Sound' '"40000"'
e2e_expect_eq "overflow: no saver window beside the report" "$(x_window_count Form1)" 0
data_close_report overflow
expect_same_bytes "overflow: the settings file untouched" "$KEL_INI" "$E2E_WORK/overflow.ini"
expect_same_bytes "overflow: the phrase file untouched" "$KEL_DAT" "$E2E_WORK/own.dat"
