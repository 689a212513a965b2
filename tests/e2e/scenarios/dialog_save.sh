#!/bin/bash
# What we test: the phrase editor's save button.
#  - the keyboard focus is in the editor when the dialog appears: typing
#    goes there; "メッセージ保存" writes the edited text in Shift-JIS with one
#    CR LF after it, then the settings, then the program ends; of two
#    unchanged saves after it, the second writes the same bytes as the first;
#  - a read-only phrase file: the save fails with a message, the dialog
#    stays open, the phrase file keeps its bytes and the settings file is
#    not written; a later close writes the settings as usual.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
e2e_begin

# --- a successful save -------------------------------------------------------
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"
cp "$KEL_DAT" "$E2E_WORK/dat.before"

x_move 5 5
dlg_open save
xdotool windowfocus --sync "$DLG_WID"
x_key ctrl+End
xdotool type --delay 40 "added line"
sleep 0.3
dlg_click Command1 50 50
kel_wait_exit save 20 || e2e_fail "save: the program did not end after the save"
e2e_pass_check "save: the save button ended the program"
sjis_write "$E2E_WORK/dat.expected" "${DLG_DEFAULT_PHRASES[@]}" "added line"
expect_same_bytes "save: kel.dat holds the edited text and one CR LF" "$KEL_DAT" \
    "$E2E_WORK/dat.expected"
expect_sjis_nonblank_lines "save: then the settings were written" "$KEL_INI" \
    "kelシリーズ　格言・迷言セッティングファイル" \
    "(c) kel制作チーム　ご自由にお使いください" \
    "[View]" "ViewMode=0" "FontMode=0" \
    "[Mode]" "Sound=1" "Speak=1" "OneShot=0" \
    "[StartUp]" "Frase_No=0"
expect_absent "save: no temporary file left" "$KEL_WINDIR/kel.dat.kel-new"

# --- unchanged saves settle: the second writes the same bytes as the first --------
# (The first adds one empty line after a text that ends with a line end.)
for n in 1 2; do
    dlg_open "unchanged-$n"
    dlg_click Command1 50 50
    kel_wait_exit "unchanged-$n" 20 || e2e_fail "unchanged-$n: the program did not end after the save"
    cp "$KEL_DAT" "$E2E_WORK/dat.$n"; cp "$KEL_INI" "$E2E_WORK/ini.$n"
done
expect_same_bytes "unchanged-2: kel.dat as the first unchanged save wrote it" "$E2E_WORK/dat.2" "$E2E_WORK/dat.1"
expect_same_bytes "unchanged-2: kel.ini as the first unchanged save wrote it" "$E2E_WORK/ini.2" "$E2E_WORK/ini.1"

# --- a read-only phrase file ------------------------------------------------------
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"
chmod a-w "$KEL_DAT"  # Wine shows a file without write bits as read-only
cp "$KEL_INI" "$E2E_WORK/ini.before"

dlg_open read-only
xdotool windowfocus --sync "$DLG_WID"
x_key ctrl+End
xdotool type --delay 40 "lost line"
sleep 0.3
dlg_click Command1 50 50
two_windows() { [ "$(x_window_count "$DLG_TITLE")" -ge 2 ]; }
e2e_wait_until 10 two_windows || e2e_fail "read-only: no message about the failed save"
e2e_pass_check "read-only: a message tells the save failed"
shot=$(x_screenshot read-only-message)
e2e_log "screenshot: $shot"
e2e_check "read-only: the program is still running" kel_running read-only
expect_same_bytes "read-only: kel.dat keeps its bytes" "$KEL_DAT" "$E2E_WORK/dat.before"
expect_same_bytes "read-only: kel.ini not written" "$KEL_INI" "$E2E_WORK/ini.before"
expect_absent "read-only: no temporary file left" "$KEL_WINDIR/kel.dat.kel-new"

# Dismiss the message; the dialog is still there with the edits.
message=$(x_windows "$DLG_TITLE" | grep -vx "$DLG_WID" | head -1)
[ -n "$message" ] || e2e_fail "read-only: cannot tell the message from the dialog"
xdotool windowfocus --sync "$message"
x_key Return
one_window() { [ "$(x_window_count "$DLG_TITLE")" -eq 1 ]; }
e2e_wait_until 10 one_window || e2e_fail "read-only: the message did not go"
e2e_check "read-only: the dialog stays open" kel_running read-only
dlg_close read-only
expect_sjis_nonblank_lines "read-only: a later close writes the settings" "$KEL_INI" \
    "kelシリーズ　格言・迷言セッティングファイル" \
    "(c) kel制作チーム　ご自由にお使いください" \
    "[View]" "ViewMode=0" "FontMode=0" \
    "[Mode]" "Sound=1" "Speak=1" "OneShot=0" \
    "[StartUp]" "Frase_No=0"
expect_same_bytes "read-only: kel.dat still as before" "$KEL_DAT" "$E2E_WORK/dat.before"
chmod u+w "$KEL_DAT"
