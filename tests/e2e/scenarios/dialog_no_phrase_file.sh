#!/bin/bash
# What we test: "/c" without a phrase file shows no dialog but a report, and
# creates or changes no file; the settings file, when there is one, keeps
# its bytes. The dialog never writes the default files: only the saver does.
# The report is the program's, names the file, and no dialog window is left.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

run_case() {
    local name="$1"
    x_move 5 5
    kel_start "$name" /c
    e2e_expect_eq "$name: the program reports" "$(data_outcome "$name" 30)" reports
    data_report_has "$name" 'c:\windows\kel.dat' 'がありません'
    e2e_expect_eq "$name: no dialog" "$(x_window_count "$DLG_TITLE")" 0
    e2e_expect_eq "$name: no dialog window behind the report" \
        "$(data_report_texts --class kelSettingsForm2)" 0
    local shot
    shot=$(x_screenshot "$name")
    e2e_log "screenshot: $shot"
    data_close_report "$name"
    expect_absent "$name: no phrase file created" "$KEL_DAT" "$KEL_WINDIR/kel.dat.kel-new"
}

run_case neither-file
expect_absent "neither-file: no settings file created" "$KEL_INI"

sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
cp "$KEL_INI" "$E2E_WORK/ini.before"
run_case settings-only
expect_same_bytes "settings-only: kel.ini keeps its bytes" "$KEL_INI" "$E2E_WORK/ini.before"
