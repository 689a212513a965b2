#!/bin/bash
# What we test: when the saver's Load fails in one-shot mode, its report stays
# until the user dismisses it. No tick runs behind the report (in one-shot
# mode a tick would end the program a few seconds later), nothing is written,
# and once the report is closed the program ends with a non-zero exit code.
#  - a start index beyond 16 bits (Frase_No=40000);
#  - a phrase file of 32,002 lines.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

# load_fails NAME FRASE_NO LINES TEXT... — the report names every TEXT.
load_fails() {
    local name="$1" outcome
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
        "OneShot=1" "[StartUp]" "Frase_No=$2"
    perl -e "print qq(line \$_\r\n) for 1 .. $3" >"$KEL_DAT"
    cp "$KEL_INI" "$E2E_WORK/$name.ini"
    cp "$KEL_DAT" "$E2E_WORK/$name.dat"
    x_move 512 150
    kel_start "$name" /s
    outcome=$(data_outcome "$name" 30)
    e2e_expect_eq "$name: the saver reports instead of running" "$outcome" reports
    data_report_has "$name" "${@:4}"
    # The first tick would fall due one second after Load began (before the
    # report), and its one-shot end 3.2 s later (a card of six characters
    # and the two-second wait).
    sleep 5
    kel_running "$name" \
        || e2e_fail "$name: ended behind its report (exit code $(kel_exit_code "$name"))"
    x_screenshot "$name-report" >/dev/null
    data_report_texts >/dev/null || e2e_fail "$name: the report went away by itself"
    e2e_pass_check "$name: the report stays, the program waits for it"
    data_close_report "$name"
    local rc; rc=$(kel_exit_code "$name")
    [ "$rc" != 0 ] || e2e_fail "$name: ended with exit code 0 after a failed start"
    e2e_pass_check "$name: exit code $rc"
    expect_same_bytes "$name: the settings file untouched" "$KEL_INI" "$E2E_WORK/$name.ini"
    expect_same_bytes "$name: the phrase file untouched" "$KEL_DAT" "$E2E_WORK/$name.dat"
}

load_fails frase-no-40000 40000 5 'c:\windows\kel.ini' '[StartUp] Frase_No' '"40000"'
load_fails lines-32002 5 32002 'c:\windows\kel.dat' 'line 32002'

