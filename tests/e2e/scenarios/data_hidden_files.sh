#!/bin/bash
# What we test: a phrase file and a settings file that exist but are hidden
# and system files are the user's files like any others: the saver starts,
# reads them and writes no defaults over them (a start that took them for
# missing would replace the user's sayings with the default ones).
. "$(dirname "$0")/../lib.sh"
e2e_begin

sjis_write "$KEL_DAT" "*** 自前の格言 ***" "隠しファイルの言葉" "もう一つ"
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=1"
cp "$KEL_DAT" "$E2E_WORK/own.dat"
cp "$KEL_INI" "$E2E_WORK/own.ini"

# Wine keeps a file's DOS attributes in the extended attribute
# user.DOSATTRIB (Wine's own attrib.exe sets only the last flag it is given).
command -v python3 >/dev/null || e2e_skip "no python3 to set the files' DOS attributes"
for f in "$KEL_DAT" "$KEL_INI"; do
    python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x6")' "$f" \
        || e2e_skip "this file system keeps no extended attributes"
done
# What Wine makes of them: both listed among the hidden system files.
listed=$(timeout 60 "$E2E_WINE" cmd /c dir /b /a:hs 'c:\windows\kel.*' 2>/dev/null | tr -d '\r' | sort | tr '\n' ' ')
e2e_expect_eq "Wine lists both files as hidden and system" "$listed" "kel.dat kel.ini "

x_move 512 150
kel_start hidden /s
x_wait_window Form1 30 >/dev/null || e2e_fail "no Form1 window within 30 s"
expect_same_bytes "the hidden phrase file at start" "$KEL_DAT" "$E2E_WORK/own.dat"
expect_same_bytes "the hidden settings file at start" "$KEL_INI" "$E2E_WORK/own.ini"
x_click 1
kel_wait_exit hidden 15 || e2e_fail "a click did not end the saver within 15 s"
expect_same_bytes "the hidden phrase file after the close" "$KEL_DAT" "$E2E_WORK/own.dat"
expect_sjis_nonblank_lines "the hidden settings file after the close" "$KEL_INI" \
    "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" "OneShot=0" "[StartUp]" "Frase_No=1"
