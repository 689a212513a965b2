#!/bin/bash
# What we test: a save that was cut short in the middle of a rewrite in
# place (kel.dat torn, its complete old bytes in kel.dat.old) is undone by
# the next start, the saver's and the dialog's alike: kel.dat gets the old
# bytes back before anything reads it, kel.dat.old goes, and the defaults
# are not written over it.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../data_lib.sh"
e2e_begin
data_build_probe

# A torn kel.dat beside the good copy.
cut_short() {
    sjis_write "$KEL_DAT.old" "*** 格言・迷言シリーズ ***" "取っておいた一言" "もう一言"
    cp "$KEL_DAT.old" "$E2E_WORK/good"
    head -c 20 "$E2E_WORK/good" >"$KEL_DAT"
    printf 'nnnnnnnn' >>"$KEL_DAT"
}
put_back() {
    expect_same_bytes "$1: kel.dat holds the old bytes again" "$KEL_DAT" "$E2E_WORK/good"
    expect_absent "$1: kel.dat.old removed" "$KEL_DAT.old"
}

sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=1"
cut_short
x_move 512 150
kel_start saver /s
e2e_expect_eq "saver: runs" "$(data_outcome saver 30)" runs
put_back saver
x_click 1
kel_wait_exit saver 20 || e2e_fail "saver: a click did not end it"

cut_short
dlg_open dialog
put_back dialog
dlg_close dialog
