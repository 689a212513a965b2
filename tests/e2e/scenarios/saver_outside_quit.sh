#!/bin/bash
# What we test: a WM_QUIT from outside (another program posting it to the
# saver's thread) runs the close step once and ends the saver: the start
# index is written back ("Frase_No=0.4" reads as 0 and is written as 0),
# whether the quit arrives in the message loop before the first tick or
# inside a tick's hold.
. "$(dirname "$0")/../lib.sh"
e2e_begin

ini_lines=("[View]" "ViewMode=0" "FontMode=0" "[StartUp]" "Frase_No=0.4" "[Mode]" "Sound=0"
           "Speak=0" "OneShot=0")
for when in before-the-first-tick in-the-hold; do
    sjis_write "$KEL_INI" "${ini_lines[@]}"
    sjis_write "$KEL_DAT" "*** 題 ***" "一つ目"
    x_move 512 150
    kel_start "$when" /s
    x_wait_window Form1 20 >/dev/null || e2e_fail "$when: no Form1 window within 20 s"
    # The first tick starts a second after the window and holds the title
    # line for two seconds.
    [ "$when" = in-the-hold ] && sleep 2
    e2e_send_message quit kelSaverForm1 || e2e_fail "$when: could not post WM_QUIT"
    kel_wait_exit "$when" 5 || e2e_fail "$when: WM_QUIT did not end the saver within 5 s"
    expected=("${ini_lines[@]}")
    expected[4]="Frase_No=0"
    expect_sjis_nonblank_lines "$when: the close step wrote the start index" "$KEL_INI" \
        "${expected[@]}"
done
