#!/bin/bash
# What we test: a torn kel.dat is put back from kel.dat.old by a saver start
# and by a dialog start; UTF-8 (with and without the mark) and Shift-JIS files
# keep their bytes through an unchanged save; a file with a NUL is not opened.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$E2E_WORK/good" "${DLG_DEFAULT_PHRASES[@]}"

torn() { cp "$E2E_WORK/good" "$KEL_DAT.old"; head -c 30 "$KEL_DAT.old" >"$KEL_DAT"; }
put_back() {
    expect_same_bytes "$1: kel.dat put back" "$KEL_DAT" "$E2E_WORK/good"
    expect_absent "$1: kel.dat.old removed" "$KEL_DAT.old"
}
torn; x_move 512 150; kel_start saver /s
e2e_expect_eq "saver: runs" "$(data_outcome saver 30)" runs
put_back saver; x_click 1
kel_wait_exit saver 20 || e2e_fail "saver: a click did not end it"
torn; x_move 5 5; dlg_open dialog; put_back dialog; dlg_close dialog

unchanged_save() {
    cp "$KEL_DAT" "$E2E_WORK/$1"; dlg_open "$1"; dlg_click Command1 50 50
    kel_wait_exit "$1" 20 || e2e_fail "$1: the save did not end the program"
    expect_same_bytes "$1: a save without edits keeps the bytes" "$KEL_DAT" "$E2E_WORK/$1"
}
lines=$'*** 格言・迷言シリーズ ***\r\ncafé 한글 𠮷野家\r\nまたかいなぁ～\r\n\r\n'
printf '\xEF\xBB\xBF%s' "$lines" >"$KEL_DAT"; unchanged_save utf8-with-mark
printf '%s' "$lines" >"$KEL_DAT"; unchanged_save utf8
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}" ""; unchanged_save shift-jis

printf 'title\r\nfirst\r\nab\0cd\r\nlast\r\n' >"$KEL_DAT"; cp "$KEL_DAT" "$E2E_WORK/nul"
kel_start nul /c
e2e_expect_eq "nul: the program reports" "$(data_outcome nul 30)" reports
data_report_has nul 'c:\windows\kel.dat' 'line 3'
data_close_report nul
expect_same_bytes "nul: kel.dat keeps its bytes" "$KEL_DAT" "$E2E_WORK/nul"
