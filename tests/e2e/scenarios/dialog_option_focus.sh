#!/bin/bash
# What we test: an option button that receives the focus while clear does
# not choose for the user. Windows reports such a button as clicked when it
# gets the focus (Wine does not): the report is sent here as Windows would,
# for every button of two frames loaded with no button selected, and the
# save writes the values as they were loaded.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
e2e_begin

sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=1" "Speak=7" \
    "OneShot=5" "[StartUp]" "Frase_No=0"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"

x_move 5 5
dlg_open focus
for caption in タイプ音 おしゃべり 連続 "One Shot"; do
    e2e_send_message focus-click "$DLG_TITLE" "$caption" \
        || e2e_fail "could not report '$caption' as clicked on focus"
done
e2e_check "the reports did not close the dialog" kel_running focus
dlg_click Command1 50 50
kel_wait_exit focus 20 || e2e_fail "the save button did not end the program"
expect_sjis_nonblank_lines "kel.ini: Speak and OneShot as loaded" "$KEL_INI" \
    "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=1" "Speak=7" "OneShot=5" \
    "[StartUp]" "Frase_No=0"
