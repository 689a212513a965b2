#!/bin/bash
# What we test, with two monitors of different sizes side by side (a nested
# Xephyr: the primary 1024 x 768 at 0,0, a second 800 x 600 at 1024,0, on
# which a blue window stands in for the desktop):
#  - the saver puts Form1 over the primary exactly and a black window over
#    the second monitor exactly; no blue is left and no pointer is drawn
#    there, from the start and while a saying is shown;
#  - the saying is centred on the primary and nothing bright reaches the
#    second monitor;
#  - a click over the second monitor (the pointer never moved) ends the
#    saver and the close step writes Frase_No;
#  - "/c" shows the dialog alone: the second monitor keeps its desktop.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../monitor_lib.sh"
e2e_begin

mon_start_xephyr 1024x768 800x600
blue=3366cc
mon_desktop 1024 0 800 600 "$blue"
e2e_pass_check "the second monitor shows the blue desktop before the saver"

# ViewMode 9 shows the first saying twice (then turns into list order), so
# Frase_No stays 2 through the first two ticks, whenever the click falls.
sjis_write "$KEL_INI" "[View]" "ViewMode=9" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=2"
sjis_write "$KEL_DAT" "*** 二つの画面 ***" "一つ目" "右の画面は黒"

x_move 1424 300                      # over the second monitor, and it stays there
[ "$(x_cursor_visible_pixels)" -gt 0 ] || e2e_fail "the probe sees no pointer over the desktop"
kel_start saver /s
form1=$(x_wait_window Form1 30) || e2e_fail "no Form1 window within 30 s"
e2e_expect_eq "Form1 covers the primary monitor exactly" "$(x_geometry "$form1")" "0 0 1024 768"
e2e_wait_until 10 mon_window_at 1024 0 800 600 >/dev/null \
    || e2e_fail "no window covers the second monitor; windows: $(x_visible_windows | tr '\n' ';')"
e2e_pass_check "a window covers the second monitor exactly (1024,0 800x600)"
# The window is on the X server a moment before its first paint.
second_black() { shot=$(x_screenshot start) && img_area_is "$shot" 1024 0 800 600 000000; }
e2e_check "at the start: the second monitor black" e2e_wait_until 5 second_black
e2e_expect_eq "pointer drawn over the second monitor (visible pixels)" \
    "$(x_cursor_visible_pixels)" 0

# Screenshots until the whole saying is on screen.
saying_shot="" box=""
deadline=$(( $(date +%s) + 30 ))
i=0
while kel_running saver && [ "$(date +%s)" -lt "$deadline" ]; do
    i=$((i + 1))
    shot=$(x_screenshot "tick-$i") || e2e_fail "no screenshot"
    box=$(img_bright_bbox "$shot")
    [ -n "$box" ] || continue
    read -r w h x y <<<"$box"
    # The title card shows one character; the whole saying is wider.
    if [ "$w" -gt 200 ]; then saying_shot="$shot"; break; fi
done
[ -n "$saying_shot" ] || e2e_fail "never saw the whole saying ($i screenshots)"
e2e_log "saying at $box (W H X Y) in $saying_shot"
[ $(( x + w )) -le 1024 ] || e2e_fail "the saying reaches past the primary monitor (box $box)"
off=$(( 2 * x + w - 1024 )); off=${off#-}
[ $(( off / 2 )) -le 6 ] || e2e_fail "the saying is not centred on the primary (box $box)"
off=$(( 2 * y + h - 768 )); off=${off#-}
[ $(( off / 2 )) -le 20 ] || e2e_fail "the saying is not centred down the primary (box $box)"
e2e_pass_check "the saying is centred on the primary monitor"
e2e_check "while the saying shows: the second monitor black" \
    img_area_is "$saying_shot" 1024 0 800 600 000000

# The saver reads kel.ini only at its start: a value changed now shows
# whether the close step writes. The pointer has not moved since the start,
# so only the click can end the run.
sjis_write "$KEL_INI" "[View]" "ViewMode=9" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=77"
kel_running saver || e2e_fail "the saver ended by itself"
x_click 1
kel_wait_exit saver 10 || e2e_fail "a click over the second monitor did not end the saver"
e2e_pass_check "a click over the second monitor ends the saver"
expect_sjis_nonblank_lines "the close step wrote Frase_No" "$KEL_INI" \
    "[View]" "ViewMode=9" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" "OneShot=0" \
    "[StartUp]" "Frase_No=2"

# The settings dialog covers nothing.
kel_start dialog /c
dlg=$(x_wait_window "メッセージエディター" 30) || e2e_fail "no dialog within 30 s"
sleep 0.5
shot=$(x_screenshot dialog)
e2e_check "with the dialog open the second monitor shows its desktop" \
    mon_area_has "$shot" 1024 0 800 600 "$blue"
x_close_window "$dlg" || e2e_fail "could not focus the dialog"
kel_wait_exit dialog 20 || e2e_fail "the dialog did not end"
