#!/bin/bash
# What we test: the user's own kel.dat.old and kel.dat.bak beside a newer
# kel.dat are untouched by a saver start and a dialog start; a kel.dat torn
# by a save cut short is put back from its journal by either; UTF-8 (with and
# without the mark) and Shift-JIS files, NEC's and IBM's codes included, keep
# their bytes through an unchanged save that asks nothing; Shift-JIS text the
# next load would take for UTF-8 is saved as UTF-8 with the mark once the user
# agrees; a file with a NUL is not opened.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$E2E_WORK/good" "${DLG_DEFAULT_PHRASES[@]}"

# The user's own older copies beside a newer kel.dat: a saver start and a
# dialog start read, move and remove none of them.
users_copies() {
    sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}" "today's own saying"
    sjis_write "$KEL_DAT.old" "${DLG_DEFAULT_PHRASES[@]}"
    printf 'mine\r\n' >"$KEL_DAT.bak"
    for f in "$KEL_DAT" "$KEL_DAT.old" "$KEL_DAT.bak"; do cp "$f" "$E2E_WORK/$(basename "$f").$1"; done
}
untouched() {
    for f in "$KEL_DAT" "$KEL_DAT.old" "$KEL_DAT.bak"; do
        expect_same_bytes "$1: $(basename "$f") untouched" "$f" "$E2E_WORK/$(basename "$f").$1"
    done
}
ended_cleanly() {
    kel_wait_exit "$1" 20 || e2e_fail "$1: did not end"
    e2e_expect_eq "$1: exit status" "$(kel_exit_code "$1")" 0
}
users_copies saver; x_move 512 150; kel_start saver /s
e2e_expect_eq "saver: runs" "$(data_outcome saver 30)" runs
untouched saver; x_click 1; ended_cleanly saver; untouched saver
users_copies dialog; x_move 5 5; dlg_open dialog; untouched dialog; dlg_close dialog
ended_cleanly dialog; untouched dialog

# A save in place cut short: kel.dat torn, its journal whole. A start puts
# the old text back and removes the journal, leaving the user's copies be.
torn() {
    users_copies "$1"; cp "$E2E_WORK/good" "$E2E_WORK/new"; printf 'more\r\n' >>"$E2E_WORK/new"
    data_write_journal "$E2E_WORK/good" "$E2E_WORK/new" "$KEL_DAT.kel-journal"
    head -c 30 "$E2E_WORK/good" >"$KEL_DAT"; cp "$KEL_DAT" "$E2E_WORK/kel.dat.$1"
}
put_back() {
    expect_same_bytes "$1: kel.dat put back" "$KEL_DAT" "$E2E_WORK/good"
    expect_absent "$1: the journal removed" "$KEL_DAT.kel-journal"
    expect_same_bytes "$1: kel.dat.old untouched" "$KEL_DAT.old" "$E2E_WORK/kel.dat.old.$1"
}
torn torn-saver; x_move 512 150; kel_start torn-saver /s
e2e_expect_eq "torn-saver: runs" "$(data_outcome torn-saver 30)" runs
put_back torn-saver; x_click 1; ended_cleanly torn-saver
torn torn-dialog; x_move 5 5; dlg_open torn-dialog; put_back torn-dialog; dlg_close torn-dialog
ended_cleanly torn-dialog
# A journal that cannot be put back (a folder where kel.dat was): the report
# names the journal as the good copy, which stays.
torn unreachable; rm -f "$KEL_DAT"; mkdir -p "$KEL_DAT/x"; cp "$KEL_DAT.kel-journal" "$E2E_WORK/journal"
kel_start unreachable /s
e2e_expect_eq "unreachable: the program reports" "$(data_outcome unreachable 30)" reports
x_screenshot unreachable >/dev/null
data_report_has unreachable 'may be damaged' 'c:\windows\kel.dat.kel-journal'
data_close_report unreachable
expect_same_bytes "unreachable: the journal kept" "$KEL_DAT.kel-journal" "$E2E_WORK/journal"
rm -rf "$KEL_DAT" "$KEL_DAT.kel-journal"; cp "$E2E_WORK/good" "$KEL_DAT"

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
