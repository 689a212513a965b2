#!/bin/bash
# What we test: "/c" without a phrase file shows no dialog but a report, and
# creates or changes no file; the settings file, when there is one, keeps
# its bytes. The dialog never writes the default files: only the saver does.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
e2e_begin

# Any window but the input method's and the dialog's: the report.
report_window() {
    x_visible_windows | grep -v ' Default IME$' | grep -v " $DLG_TITLE\$" | head -1 | cut -d' ' -f1
}
has_report() { [ -n "$(report_window)" ]; }

run_case() {
    local name="$1"
    x_move 5 5
    kel_start "$name" /c
    e2e_wait_until 30 has_report || e2e_fail "$name: no report within 30 s"
    e2e_pass_check "$name: a report appeared"
    e2e_expect_eq "$name: no dialog" "$(x_window_count "$DLG_TITLE")" 0
    local shot
    shot=$(x_screenshot "$name")
    e2e_log "screenshot: $shot"
    xdotool windowfocus --sync "$(report_window)"
    x_key Return
    kel_wait_exit "$name" 20 || e2e_fail "$name: the program did not end after the report"
    e2e_pass_check "$name: the program ended"
    expect_absent "$name: no phrase file created" "$KEL_DAT" "$KEL_WINDIR/kel.dat.new"
}

run_case neither-file
expect_absent "neither-file: no settings file created" "$KEL_INI"

sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
cp "$KEL_INI" "$E2E_WORK/ini.before"
run_case settings-only
expect_same_bytes "settings-only: kel.ini keeps its bytes" "$KEL_INI" "$E2E_WORK/ini.before"
