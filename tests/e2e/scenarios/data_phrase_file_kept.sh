#!/bin/bash
# What we test: a torn kel.dat is put back from kel.dat.old by a saver start
# and by a dialog start; UTF-8 (with and without the mark) and Shift-JIS files,
# NEC's and IBM's codes included, keep their bytes through an unchanged save
# that asks nothing; Shift-JIS text the next load would take for UTF-8 is
# saved as UTF-8 with the mark once the user agrees; a file with a NUL is not
# opened.
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
# ≒ ∵ ① in NEC's row 13, 纊 among NEC's IBM selection, ⅰ an IBM extension:
# ≒, ∵ and 纊 have another code, the one the system writes for them.
printf 'title\r\n\x87\x90\x87\x9A\x87\x40\xED\x40\xFA\x40\r\n\r\n' >"$KEL_DAT"
unchanged_save nec-row-13

# box NAME KEY — the message box over the dialog: a screenshot, then KEY,
# then the box is gone.
box() {
    local id
    boxed() { id=$(x_windows "$DLG_TITLE" | grep -vx "$DLG_WID" | head -1); [ -n "$id" ]; }
    e2e_wait_until 10 boxed || e2e_fail "$1: no message box"
    e2e_log "screenshot: $(x_screenshot "$1")"
    xdotool windowfocus --sync "$id"
    x_key "$2"
    gone() { ! x_windows "$DLG_TITLE" | grep -qx "$id"; }
    e2e_wait_until 10 gone || e2e_fail "$1: the box stayed"
}
# Quotes make the file invalid UTF-8; the save drops them, and 縺係 in
# Shift-JIS (E3 81 8C 57) reads as がW in UTF-8: saved as UTF-8 with the mark
# once the user agrees.
printf 'title\r\n"\xE3\x81"\x8C\x57\r\n' >"$KEL_DAT"
dlg_open to-utf8; dlg_click Command1 50 50
box to-utf8-question y
box to-utf8-notice Return
kel_wait_exit to-utf8 20 || e2e_fail "to-utf8: the save did not end the program"
printf '\xEF\xBB\xBFtitle\r\n\xE7\xB8\xBA\xE4\xBF\x82\r\n\r\n' >"$E2E_WORK/to-utf8"
expect_same_bytes "to-utf8: saved as UTF-8 with the mark" "$KEL_DAT" "$E2E_WORK/to-utf8"

printf 'title\r\nfirst\r\nab\0cd\r\nlast\r\n' >"$KEL_DAT"; cp "$KEL_DAT" "$E2E_WORK/nul"
kel_start nul /c
e2e_expect_eq "nul: the program reports" "$(data_outcome nul 30)" reports
data_report_has nul 'c:\windows\kel.dat' 'line 3'
data_close_report nul
expect_same_bytes "nul: kel.dat keeps its bytes" "$KEL_DAT" "$E2E_WORK/nul"
