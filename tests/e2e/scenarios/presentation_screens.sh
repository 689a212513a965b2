#!/bin/bash
# What we test, from screenshots taken while the saver presents:
#  - tick 1 shows the title line (index 0) plainly on black; it is far too
#    long for 72 points, so it is shrunk until it fits: white, centred, as
#    wide as the screen allows but no wider;
#  - tick 2 paints the background colour value 1 (red 1), not black; its
#    title card shows one character alone, centred, at the card size (72
#    points, 96 pixels at 96 DPI);
#  - then the whole saying in white, centred, narrower than the screen.
. "$(dirname "$0")/../lib.sh"
e2e_begin

long_title="これはとても長い題の行でありまして七十二ポイントではとても画面に入りきらない"
saying="花より団子の夏休み"
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=0"
sjis_write "$KEL_DAT" "$long_title" "一つ目" "$saying"

x_move 1000 20
kel_start saver /s
x_wait_window Form1 20 >/dev/null || e2e_fail "no Form1 window within 20 s"

# Screenshots as fast as they come, until the background of tick 2 has been
# seen for 3.5 s (its title card takes 1.8 s, its wait phase about 2 s);
# sorted afterwards by background colour and the size of the white area.
shots=()
deadline=$(( $(date +%s) + 40 ))
tick2_since=""
i=0
while [ "$(date +%s)" -lt "$deadline" ]; do
    i=$((i + 1))
    shot=$(x_screenshot "tick-$i") || e2e_fail "no screenshot"
    shots+=("$shot")
    if [ "$(img_pixel "$shot" 2 2)" = 010000 ]; then
        [ -n "$tick2_since" ] || tick2_since=$(e2e_now_ns)
        [ "$(e2e_ms_since "$tick2_since")" -lt 3500 ] || break
    fi
done
long_shot="" card_shot="" whole_shot=""
declare -A bbox_of=()
for shot in "${shots[@]}"; do
    bg=$(img_pixel "$shot" 2 2)
    box=$(img_bright_bbox "$shot")
    [ -n "$box" ] || continue
    bbox_of[$shot]="$box"
    read -r w _ <<<"$box"
    if [ "$bg" = 000000 ] && [ "$w" -ge 600 ] && [ -z "$long_shot" ]; then
        long_shot="$shot"
    elif [ "$bg" = 010000 ] && [ "$w" -le 150 ] && [ -z "$card_shot" ]; then
        card_shot="$shot"
    elif [ "$bg" = 010000 ] && [ "$w" -ge 300 ] && [ -n "$card_shot" ] && [ -z "$whole_shot" ]; then
        whole_shot="$shot"
    fi
done
e2e_log "took $i screenshots"
[ -n "$long_shot" ] || e2e_fail "never saw the long title line on black"
[ -n "$card_shot" ] || e2e_fail "never saw a title card on the background of tick 2"
[ -n "$whole_shot" ] || e2e_fail "never saw the whole saying of tick 2"

# centred "what" BOX AXIS_CENTRE TOLERANCE — the box's centre along x lies
# within TOLERANCE pixels of the screen's centre (glyph ink is not exactly
# the label's box, so allow a little).
centred_x() {
    local what="$1" w x tolerance="$3"
    read -r w _ x _ <<<"$2"
    local off=$(( 2 * x + w - E2E_SCREEN_W ))
    off=${off#-}
    [ $(( off / 2 )) -le "$tolerance" ] || e2e_fail "$what: centre ${off}/2 px off the middle (box $2)"
    e2e_pass_check "$what: centred horizontally (box $2)"
}
centred_y() {
    local what="$1" h y tolerance="$3"
    read -r _ h _ y <<<"$2"
    local off=$(( 2 * y + h - E2E_SCREEN_H ))
    off=${off#-}
    [ $(( off / 2 )) -le "$tolerance" ] || e2e_fail "$what: centre ${off}/2 px off the middle (box $2)"
    e2e_pass_check "$what: centred vertically (box $2)"
}
has_white() { img_area_colours "$1" 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H" | grep -qx ffffff; }

# Tick 1: the long title line.
box="${bbox_of[$long_shot]}"; read -r w h _ <<<"$box"
e2e_check "tick 1: background black" img_area_is "$long_shot" 0 0 1024 40 000000
[ "$w" -le 1024 ] && [ "$w" -ge 800 ] || e2e_fail "tick 1: the shrunk line is $w px wide, expected 800..1024"
e2e_pass_check "tick 1: the long line shrunk to $w px, within the screen"
[ "$h" -lt 60 ] || e2e_fail "tick 1: the shrunk line is $h px tall; not shrunk"
centred_x "tick 1" "$box" 6
centred_y "tick 1" "$box" 20
e2e_check "tick 1: white text" has_white "$long_shot"

# Tick 2: a title card.
box="${bbox_of[$card_shot]}"; read -r w h _ <<<"$box"
e2e_check "tick 2: background colour value 1 (card)" img_area_is "$card_shot" 0 0 1024 40 010000
[ "$h" -ge 50 ] && [ "$h" -le 100 ] || e2e_fail "card: $h px tall, expected about 72 points (96 px cell)"
[ "$w" -le 100 ] || e2e_fail "card: $w px wide, more than one character"
e2e_pass_check "card: one character, $w x $h px"
centred_x "card" "$box" 12
centred_y "card" "$box" 20
e2e_check "card: white" has_white "$card_shot"

# Tick 2: the whole saying.
box="${bbox_of[$whole_shot]}"; read -r w h _ <<<"$box"
e2e_check "tick 2: background colour value 1 (saying)" img_area_is "$whole_shot" 0 0 1024 40 010000
[ "$w" -lt 1000 ] || e2e_fail "saying: $w px wide, not narrower than the screen"
e2e_pass_check "saying: $w px wide, narrower than the screen"
centred_x "saying" "$box" 6
centred_y "saying" "$box" 20
e2e_check "saying: white" has_white "$whole_shot"

kel_running saver || e2e_fail "the saver ended by itself"
x_click 1
kel_wait_exit saver 10 || e2e_fail "a click did not end the saver within 10 s"
