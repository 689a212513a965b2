#!/bin/bash
# What we test: a click ends the saver on the release of the button that was
# pressed over it, not on the press (the release would otherwise reach the
# window left underneath): with a button held the saver runs on; the release
# ends it and writes the start index. Left, middle and right button.
. "$(dirname "$0")/../lib.sh"
e2e_begin

# Only the title line: whichever tick the release falls into, the index
# written is 0; "0.4" in the file shows that it was written.
sjis_write "$KEL_DAT" "*** クリック ***"
for button in 1 2 3; do
    name="button-$button"
    sjis_write "$KEL_INI" "[Mode]" "Sound=0" "OneShot=0" "[StartUp]" "Frase_No=0.4"
    x_move 512 150
    kel_start "$name" /s
    x_wait_window Form1 20 >/dev/null || e2e_fail "$name: no Form1 window within 20 s"
    xdotool mousedown "$button"
    sleep 2
    { kel_running "$name" && [ "$(x_window_count Form1)" = 1 ]; } \
        || { xdotool mouseup "$button"; e2e_fail "$name: pressing the button ended the saver"; }
    e2e_pass_check "$name: runs on while the button is held"
    xdotool mouseup "$button"
    kel_wait_exit "$name" 10 || e2e_fail "$name: releasing the button did not end the saver"
    e2e_pass_check "$name: the release ended the saver"
    expect_sjis_nonblank_lines "$name: kel.ini after the click" "$KEL_INI" \
        "[Mode]" "Sound=0" "OneShot=0" "[StartUp]" "Frase_No=0"
done
