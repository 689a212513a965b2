#!/bin/bash
# What we test: at 144 DPI (150 %)
#  - the shipped file declares itself DPI aware (Wine 8 gives an undeclared
#    program 144 DPI as well; Windows would scale it up, blurred);
#  - the saver still covers the 1024 x 768 screen exactly;
#  - the large title card is fitted to the screen height (one character
#    most of the height, not taller), centred;
#  - the whole saying of nine characters, 72 points = 144 pixels each here,
#    is shrunk to the first 3-point step that fits the width (54 points,
#    about 970 pixels), keeps clear of both edges and stays centred. Drawn
#    as at 96 DPI it would fit unshrunk at about 860 pixels.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../monitor_lib.sh"
e2e_begin

grep -aq '<dpiAware[^>]*>true</dpiAware>' "$KEL_SCR" \
    || e2e_fail "the program's manifest does not declare it DPI aware"
e2e_pass_check "the manifest declares the program DPI aware"
mon_set_dpi 144
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=1" "[StartUp]" "Frase_No=1"
sjis_write "$KEL_DAT" "*** 百四十四 ***" "花より団子の夏休み"

x_move 1000 20
kel_start saver /s
wid=$(x_wait_window Form1 30) || e2e_fail "no Form1 window within 30 s"
e2e_expect_eq "Form1 covers the screen from 0,0" "$(x_geometry "$wid")" "0 0 1024 768"

# Screenshots until the one-shot run ends by itself; sorted afterwards.
shots=()
deadline=$(( $(date +%s) + 40 ))
i=0
while kel_running saver && [ "$(date +%s)" -lt "$deadline" ]; do
    i=$((i + 1))
    shot=$(x_screenshot "dpi-$i") || break
    shots+=("$shot")
done
kel_wait_exit saver 10 || e2e_fail "the one-shot run did not end by itself"
e2e_log "took $i screenshots"

card="" saying="" saying_shot=""
for shot in "${shots[@]}"; do
    box=$(img_bright_bbox "$shot")
    [ -n "$box" ] || continue
    read -r w h x y <<<"$box"
    if [ "$h" -gt 300 ] && [ -z "$card" ]; then card="$box"; fi
    if [ "$w" -gt 400 ] && [ "$h" -lt 200 ]; then saying="$box"; saying_shot="$shot"; fi
done

[ -n "$card" ] || e2e_fail "never saw a large title card"
expect_large_card "$card"

[ -n "$saying" ] || e2e_fail "never saw the whole saying"
e2e_log "saying: $saying_shot"
read -r w h x y <<<"$saying"
[ "$x" -ge 4 ] && [ $(( x + w )) -le 1020 ] || e2e_fail "saying: reaches an edge (box $saying)"
[ "$w" -ge 900 ] || e2e_fail "saying: $w px wide; not drawn at 144 DPI, or shrunk further than the width asks"
off=$(( 2 * x + w - 1024 )); off=${off#-}
[ $(( off / 2 )) -le 6 ] || e2e_fail "saying: not centred horizontally (box $saying)"
off=$(( 2 * y + h - 768 )); off=${off#-}
[ $(( off / 2 )) -le 20 ] || e2e_fail "saying: not centred vertically (box $saying)"
e2e_pass_check "saying: $w x $h px, within the width and centred (box $saying)"
