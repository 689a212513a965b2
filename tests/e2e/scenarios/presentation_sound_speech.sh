#!/bin/bash
# What we test: the two sound settings run the whole tick on the real program
# even where nothing can be heard. Under Wine there is no sound device
# (sndPlaySoundA plays nothing) and speech is created but refuses to speak;
# either way the saying comes on screen, the tick finishes, and the one-shot
# run ends by itself writing the next index.
#  - Sound=1 Speak=0: the title card with its clacks, then the closing sound;
#  - Sound=1 Speak=1: the speech call, then the saying.
. "$(dirname "$0")/../lib.sh"
e2e_begin

sjis_write "$KEL_DAT" "*** 音と声 ***" "一つ目" "二つ目の言葉" "三つ目"

# run_with LABEL SPEAK DLL=COUNT... — one one-shot run from index 2 with
# Sound=1.
run_with() {
    local label="$1" speak="$2"
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=1" "Speak=$speak" \
        "OneShot=1" "[StartUp]" "Frase_No=2"
    x_move 700 100
    kel_start "$label" /s
    x_wait_window Form1 20 >/dev/null || e2e_fail "$label: no Form1 window within 20 s"
    # The whole saying (6 characters at 72 points) comes after the title card
    # of 6 x 200 ms; look for white text well inside the wait phase.
    local seen=0 deadline=$((SECONDS + 12)) box="" shot
    while [ $SECONDS -lt $deadline ] && kel_running "$label"; do
        shot=$(x_screenshot "$label") || break
        box=$(img_bright_bbox "$shot")
        # Wider than any single title-card character at 72 points.
        if [ -n "$box" ] && [ "${box%% *}" -gt 300 ]; then seen=1; break; fi
        sleep 0.3
    done
    [ $seen -eq 1 ] || e2e_fail "$label: the whole saying never came on screen"
    e2e_pass_check "$label: the whole saying came on screen ($box)"
    # What the setting needs has been loaded by then: the sound library for
    # the clacks, OLE Automation for the voice.
    local dlls want dll; dlls=$(kel_loaded_dlls "$label")
    for want in $3; do
        dll=${want%=*}
        e2e_expect_eq "$label: $dll loaded" "$(grep -cx "$dll" <<<"$dlls")" "${want#*=}"
    done
    kel_wait_exit "$label" 20 || e2e_fail "$label: the one-shot run did not end by itself"
    e2e_expect_eq "$label: the next index is written" \
        "$(sjis_read "$KEL_INI" | sed -n 's/^Frase_No=//p')" 1
}

run_with sound 0 "winmm.dll=1"
run_with speech 1 "oleaut32.dll=1"
