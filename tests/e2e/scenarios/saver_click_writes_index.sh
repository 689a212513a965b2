#!/bin/bash
# What we test: a click ends the saver before its first tick and writes the
# start index through the profile writer into the existing [StartUp]
# section, in place: no second section, the other lines as they were.
#  - "Frase_No=0.4" reads as 0 and is written back as "Frase_No=0";
#  - a start index beyond the phrase file (50 with 5 lines) is reset to 0
#    when the sayings load, and 0 is what the click saves.
. "$(dirname "$0")/../lib.sh"
e2e_begin

phrases=("*** テスト用 ***" "一つ目の言葉" "二つ目の言葉" "三つ目の言葉" "四つ目の言葉")

run_click_case() {
    local label="$1" stored="$2" saved="$3"
    local ini_lines=(
        "kelテスト用　設定ファイル"
        ""
        "[View]"
        "ViewMode=0"
        "FontMode=0"
        ""
        "[StartUp]"
        "Frase_No=$stored"
        ""
        "[Mode]"
        "Sound=0"
        "Speak=0"
        "OneShot=0"
    )
    sjis_write "$KEL_INI" "${ini_lines[@]}"
    sjis_write "$KEL_DAT" "${phrases[@]}"
    cp "$KEL_INI" "$E2E_WORK/ini.before"
    cp "$KEL_DAT" "$E2E_WORK/dat.before"

    x_move 512 150
    kel_start "$label" /s
    x_wait_window Form1 20 >/dev/null || e2e_fail "$label: no Form1 window within 20 s"
    x_click 1
    kel_wait_exit "$label" 10 || e2e_fail "$label: a click did not end the saver within 10 s"
    e2e_pass_check "$label: the click ended the saver"

    local expected=("${ini_lines[@]}")
    expected[7]="Frase_No=$saved"
    expect_sjis_nonblank_lines "$label: kel.ini after the click" "$KEL_INI" "${expected[@]}"
    expect_same_bytes "$label: kel.dat untouched" "$KEL_DAT" "$E2E_WORK/dat.before"
}

# Before the click the saver must not have touched the settings file: both
# files exist, so loading writes nothing.
x_move 512 150
sjis_write "$KEL_INI" "[StartUp]" "Frase_No=2" "[Mode]" "Sound=0" "OneShot=0"
sjis_write "$KEL_DAT" "${phrases[@]}"
cp "$KEL_INI" "$E2E_WORK/ini.loaded"
kel_start loading /s
x_wait_window Form1 20 >/dev/null || e2e_fail "loading: no Form1 window within 20 s"
expect_same_bytes "loading: kel.ini unchanged while the saver runs" "$KEL_INI" "$E2E_WORK/ini.loaded"
x_click 1
kel_wait_exit loading 10 || e2e_fail "loading: a click did not end the saver"

run_click_case fraction 0.4 0
run_click_case beyond-the-phrases 50 0
