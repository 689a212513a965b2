#!/bin/bash
# What we test: phrase files that are not what the saver expects never crash
# or hang it; it either runs (its window shows, the first tick presents the
# start saying, a click still ends it) or reports clearly and ends:
#  - random bytes, 1 MB on a single line, NUL bytes: it runs;
#  - 32,001 lines: it runs, and start index 32,000 is kept (the last line
#    exists), so a click during the first tick writes 32000 back;
#  - 32,002 lines: it reports the file and line 32,002, and writes nothing.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

# settings FRASE_NO — a quiet, continuous saver starting at that index.
settings() {
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" \
        "OneShot=0" "[StartUp]" "Frase_No=$1"
}

# must_run NAME — the saver shows its window, is still there once the first
# tick is under way, and a click ends it.
must_run() {
    local name="$1" outcome
    x_move 512 150
    kel_start "$name" /s
    outcome=$(data_outcome "$name" 30)
    [ "$outcome" = runs ] || {
        [ -f "$E2E_WORK/$name.report" ] && cat "$E2E_WORK/$name.report"
        e2e_fail "$name: expected the saver to run, got '$outcome'"
    }
    sleep 2.5
    x_screenshot "$name" >/dev/null
    kel_running "$name" || e2e_fail "$name: ended by itself during the first tick"
    e2e_expect_eq "$name: no report while it runs" "$(data_report_texts | head -1)" ""
    x_click 1
    kel_wait_exit "$name" 20 || e2e_fail "$name: a click did not end the saver within 20 s"
    e2e_pass_check "$name: ran, and a click ended it"
}

# Pseudo-random but the same bytes every run.
perl -e 'srand(7); print map { chr(int(rand(256))) } 1 .. 65536' >"$KEL_DAT"
settings 1
must_run random

perl -e 'print "title\r\n", "\x82\xa0" x 524288, "\r\n"' >"$KEL_DAT"
settings 1
must_run one-megabyte-line

printf 'title\r\nab\0cd\r\n\0\0\0\r\n\0' >"$KEL_DAT"
settings 1
must_run nul-bytes

perl -e 'print "line $_\r\n" for 0 .. 32000' >"$KEL_DAT"
settings 32000
must_run lines-32001
expect_sjis_nonblank_lines "lines-32001: start index 32000 kept and written back" "$KEL_INI" \
    "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" "OneShot=0" \
    "[StartUp]" "Frase_No=32000"

perl -e 'print "line $_\r\n" for 0 .. 32001' >"$KEL_DAT"
settings 5
cp "$KEL_INI" "$E2E_WORK/lines-32002.ini"
cp "$KEL_DAT" "$E2E_WORK/lines-32002.dat"
kel_start lines-32002 /s
outcome=$(data_outcome lines-32002 30)
e2e_expect_eq "lines-32002: the saver reports instead of running" "$outcome" reports
data_report_has lines-32002 'c:\windows\kel.dat' 'line 32002'
data_close_report lines-32002
expect_same_bytes "lines-32002: the settings file untouched" "$KEL_INI" "$E2E_WORK/lines-32002.ini"
expect_same_bytes "lines-32002: the phrase file untouched" "$KEL_DAT" "$E2E_WORK/lines-32002.dat"
