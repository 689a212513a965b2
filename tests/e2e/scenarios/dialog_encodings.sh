#!/bin/bash
# What we test: the phrase editor keeps a phrase file's encoding. A UTF-8
# file with and without the byte order mark (holding characters Shift-JIS
# has not, one outside the BMP) and a Shift-JIS file open in the dialog, and
# "メッセージ保存" without edits writes their bytes back unchanged. A file
# with a NUL byte is not opened (the editor would cut the text there and a
# save would erase what follows): the report names the line, and the file
# keeps its bytes.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"

# unchanged_save NAME — opens the dialog on $KEL_DAT, saves without edits.
unchanged_save() {
    local name="$1"
    cp "$KEL_DAT" "$E2E_WORK/$name.before"
    x_move 5 5
    dlg_open "$name"
    dlg_click Command1 50 50
    kel_wait_exit "$name" 20 || e2e_fail "$name: the save did not end the program"
    expect_same_bytes "$name: the bytes are unchanged" "$KEL_DAT" "$E2E_WORK/$name.before"
}

# In the dialog's own form: one item per line and an empty last line.
utf8_lines=$'*** 格言・迷言シリーズ ***\r\ncafé 한글 𠮷野家\r\nまたかいなぁ～\r\n\r\n'
printf '\xEF\xBB\xBF%s' "$utf8_lines" >"$KEL_DAT"
unchanged_save utf8-with-mark
printf '%s' "$utf8_lines" >"$KEL_DAT"
unchanged_save utf8
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}" ""
unchanged_save shift-jis

printf 'title\r\nfirst\r\nab\0cd\r\nlast\r\n' >"$KEL_DAT"
cp "$KEL_DAT" "$E2E_WORK/nul.before"
kel_start nul /c
e2e_expect_eq "nul: the program reports" "$(data_outcome nul 30)" reports
data_report_has nul 'c:\windows\kel.dat' 'line 3'
e2e_expect_eq "nul: no dialog" "$(x_window_count "$DLG_TITLE")" 0
data_close_report nul
expect_same_bytes "nul: kel.dat keeps its bytes" "$KEL_DAT" "$E2E_WORK/nul.before"
