#!/bin/bash
# What we test: the saver writes the default data files where they are
# missing, byte for byte in Shift-JIS with CR LF, and leaves an existing file
# alone:
#  - neither file: both defaults ("～" as 0x81 0x60, no OneShot line);
#  - only the phrase file missing: the settings file is not touched;
#  - only the settings file missing: the phrase file is not touched.
# The files are compared while the saver runs, before its close writes the
# start index through the profile writer.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin

sjis_write "$E2E_WORK/default.dat" "${DATA_DEFAULT_PHRASES[@]}"
sjis_write "$E2E_WORK/default.ini" "${DATA_DEFAULT_SETTINGS[@]}"

# run_until_window NAME — starts the saver and waits for its window.
run_until_window() {
    x_move 512 150
    kel_start "$1" /s
    x_wait_window Form1 20 >/dev/null || e2e_fail "$1: no Form1 window within 20 s"
}

click_and_wait() {
    x_click 1
    kel_wait_exit "$1" 15 || e2e_fail "$1: a click did not end the saver within 15 s"
}

# --- neither file
expect_absent "neither: no data files to begin with" "$KEL_INI" "$KEL_DAT"
run_until_window neither
expect_same_bytes "neither: the default phrase file" "$KEL_DAT" "$E2E_WORK/default.dat"
expect_same_bytes "neither: the default settings file" "$KEL_INI" "$E2E_WORK/default.ini"
e2e_check "neither: the full-width tilde is 0x81 0x60" \
    env LC_ALL=C grep -q "$(printf '\x82\xa5\x81\x60')" "$KEL_DAT"
e2e_expect_eq "neither: OneShot lines in the settings file" "$(LC_ALL=C grep -c OneShot "$KEL_INI")" 0
for f in "$KEL_DAT" "$KEL_INI"; do
    e2e_expect_eq "neither: $(basename "$f") has only CR LF line ends" \
        "$(LC_ALL=C tr -cd '\n' <"$f" | wc -c)" "$(LC_ALL=C grep -c $'\r$' "$f")"
done
click_and_wait neither
expect_same_bytes "neither: the phrase file after the close" "$KEL_DAT" "$E2E_WORK/default.dat"
expect_sjis_nonblank_lines "neither: the settings file after the close" "$KEL_INI" \
    "${DATA_DEFAULT_SETTINGS[@]}"

# --- only the phrase file missing
rm -f "$KEL_DAT"
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "[Mode]" "Sound=0" "OneShot=0" "[StartUp]" "Frase_No=2"
cp "$KEL_INI" "$E2E_WORK/own.ini"
run_until_window no-phrases
expect_same_bytes "no-phrases: the default phrase file" "$KEL_DAT" "$E2E_WORK/default.dat"
expect_same_bytes "no-phrases: the settings file untouched" "$KEL_INI" "$E2E_WORK/own.ini"
click_and_wait no-phrases

# --- only the settings file missing
rm -f "$KEL_INI"
sjis_write "$KEL_DAT" "*** 自前 ***" "一" "二" "三"
cp "$KEL_DAT" "$E2E_WORK/own.dat"
run_until_window no-settings
expect_same_bytes "no-settings: the default settings file" "$KEL_INI" "$E2E_WORK/default.ini"
expect_same_bytes "no-settings: the phrase file untouched" "$KEL_DAT" "$E2E_WORK/own.dat"
click_and_wait no-settings
expect_same_bytes "no-settings: the phrase file after the close" "$KEL_DAT" "$E2E_WORK/own.dat"
