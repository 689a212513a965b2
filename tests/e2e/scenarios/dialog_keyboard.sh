#!/bin/bash
# What we test: the settings dialog with the keyboard alone, in one session.
#  - Esc in the phrase editor neither closes the dialog nor loses the text
#    typed before it; Esc on a button does nothing either;
#  - Tab and Shift+Tab go round every control that can take the focus, in
#    the dialog's tab order, both ways; greyed controls are passed over, and
#    a frame with no button selected is reached at its first button;
#    Ctrl+Tab and Ctrl+Shift+Tab move the same way; tabbing back into the
#    editor keeps its caret, and Enter there starts a new line;
#  - the arrow keys move and select within an option frame, Space works the
#    check box and an option button, Up/Down/PageUp/PageDown move the start
#    phrase spinner, and Enter on the focused save button saves and closes.
# Which control has the focus is read from the dialog's thread by a probe
# (tools/dialog_focus.c); what the keys changed shows in the files written.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
e2e_begin

# Speak 7 leaves both sound buttons clear; OneShot 1 enables the spinner.
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=1" "Speak=7" \
    "OneShot=1" "[StartUp]" "Frase_No=7"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"

x_move 5 5
dlg_open keys
xdotool windowfocus --sync "$DLG_WID"
dlg_follow_focus keys
e2e_expect_eq "the editor has the focus when the dialog appears" "$(dlg_focus)" Edit

# --- Esc in the editor ------------------------------------------------------------
x_key ctrl+End
xdotool type --delay 40 "abc"
dlg_keys Escape
dlg_gone() { kel_exited keys || [ "$(x_window_count "$DLG_TITLE")" -eq 0 ]; }
! e2e_wait_until 3 dlg_gone || e2e_fail "Esc in the editor closed the dialog"
e2e_pass_check "Esc in the editor leaves the dialog open"

# --- Tab and Shift+Tab round the dialog -------------------------------------------
order=(Edit "Button メッセージ保存" "Button リスト順" "Button 大" "Button タイプ音"
       "Button 効果音付" "Button One Shot" ScrollBar Edit)
for stop in "${order[@]:1}"; do dlg_key_moves Tab "$stop"; done
e2e_pass_check "Tab goes round: $(IFS='>'; echo "${order[*]}")"
for (( i = ${#order[@]} - 2; i >= 0; i-- )); do dlg_key_moves shift+Tab "${order[i]}"; done
e2e_pass_check "Shift+Tab goes round the other way"

# Ctrl+Tab and Ctrl+Shift+Tab move as Tab and Shift+Tab do, the editor's
# text left unselected.
dlg_key_moves ctrl+shift+Tab ScrollBar
dlg_key_moves ctrl+Tab Edit
e2e_pass_check "Ctrl+Shift+Tab and Ctrl+Tab move like Shift+Tab and Tab"

# Back in the editor the caret is still after "abc".
x_key Return
xdotool type --delay 40 "def"

# --- the other controls' keys -------------------------------------------------------
dlg_key_moves Tab "Button メッセージ保存"
dlg_keys Escape
dlg_key_moves Tab "Button リスト順"
dlg_key_moves Down "Button ランダム"      # ViewMode 1
dlg_key_moves Tab "Button 大"
dlg_key_moves Up "Button 小"              # FontMode 1
dlg_key_moves Tab "Button タイプ音"
dlg_keys space                            # Speak 0
dlg_key_moves Tab "Button 効果音付"
dlg_keys space                            # Sound 0: both sound buttons greyed
dlg_key_moves Tab "Button One Shot"
dlg_key_moves Tab ScrollBar
dlg_keys Up Up Up Prior Down Next         # 1 -> 2 3 4 5 4 3
dlg_key_moves shift+Tab "Button One Shot"
dlg_key_moves Left "Button 連続"          # OneShot 0: the spinner greyed
dlg_key_moves Tab Edit                    # past the greyed spinner
dlg_key_moves shift+Tab "Button 連続"     # past it again, and the greyed sound buttons
dlg_key_moves shift+Tab "Button 効果音付"
dlg_key_moves shift+Tab "Button 小"
e2e_check "no key so far closed the dialog" kel_running keys
dlg_key_moves shift+Tab "Button ランダム"
dlg_key_moves shift+Tab "Button メッセージ保存"
e2e_log "screenshot: $(x_screenshot before-enter)"
x_key Return
kel_wait_exit keys 20 || e2e_fail "Enter on the save button did not save and close"
e2e_pass_check "Enter on the save button ended the program"

sjis_write "$E2E_WORK/dat.expected" "${DLG_DEFAULT_PHRASES[@]}" "abc" "def"
expect_same_bytes "kel.dat: the text typed before Esc, then a new line" "$KEL_DAT" \
    "$E2E_WORK/dat.expected"
expect_sjis_nonblank_lines "kel.ini: what the keys chose" "$KEL_INI" \
    "[View]" "ViewMode=1" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" "OneShot=0" \
    "[StartUp]" "Frase_No=3"
