#!/bin/bash
# What we test: at 144 DPI (150 %) the settings dialog keeps its design in
# twips: its client area is 9495 x 3525 twips (950 x 353 pixels at 10 twips
# per pixel), every control sits at the twips of its design, and no caption
# runs into the edge of its control (text grown with the DPI in boxes that
# did not grow would).
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
. "$(dirname "$0")/../monitor_lib.sh"
e2e_begin

mon_set_dpi 144
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"

x_move 5 5
dlg_open dpi144
e2e_expect_eq "client area at 144 DPI" "${DLG_W}x${DLG_H}" "950x353"
cx=$(( DLG_X + DLG_W / 2 ))
e2e_check "centred across (client middle at x=$cx)" test $cx -ge 510 -a $cx -le 514
shot=$(x_screenshot dialog-144dpi)
e2e_log "screenshot: $shot"

# Each control: class, then left top width height in twips on the dialog
# (a frame's own place added to the places of the controls inside it).
# Label1 sizes itself to its caption: only its corner is fixed.
expected=(
    "Edit 4725 630 4575 2820"
    "Static 4830 195 - -"
    "Button 7920 105 1365 330"
    "Button 135 135 4395 750"
    "Button 345 510 1530 180"
    "Button 2460 480 1815 255"
    "Button 150 1005 4395 750"
    "Button 405 1365 1230 210"
    "Button 2505 1305 1305 285"
    "Button 150 1860 4395 750"
    "Button 1695 2190 1125 180"
    "Button 3135 2175 1125 300"
    "Button 375 2190 1140 210"
    "Button 150 2670 4395 750"
    "Button 405 3015 1185 195"
    "Button 1695 3030 1185 195"
    "Static 3195 2970 855 285"
    "ScrollBar 4110 2865 285 495"
)
mon_child_rects "$DLG_TITLE" >"$E2E_WORK/controls.txt" || e2e_fail "the window probe found no dialog"
sed 's/^/    /' "$E2E_WORK/controls.txt"
mapfile -t actual <"$E2E_WORK/controls.txt"
e2e_expect_eq "number of controls" "${#actual[@]}" "${#expected[@]}"

# near PIXELS TWIPS — within a pixel of the twips at 10 twips per pixel.
near() { [ "$2" = - ] || [ $(( $1 * 10 - $2 )) -ge -10 -a $(( $1 * 10 - $2 )) -le 10 ]; }
# ink_box X Y W H — "W H X Y" of the dark pixels (text) of an area.
ink_box() {
    convert "$shot" -crop "$3x$4+$1+$2" +repage -colorspace gray -threshold 40% -negate \
        -format '%@' info: | sed 's/^\([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\)$/\1 \2 \3 \4/'
}
for i in "${!expected[@]}"; do
    read -r eclass el et ew eh <<<"${expected[$i]}"
    read -r l t w h class text <<<"${actual[$i]}"
    [ "$class" = "$eclass" ] && near "$l" "$el" && near "$t" "$et" && near "$w" "$ew" \
        && near "$h" "$eh" \
        || e2e_fail "control $i ($text): at $l $t $w $h px, expected ${expected[$i]} twips"
    # A caption wider than its box is cut at the box's right edge: its ink
    # would reach the last columns.
    case "$class:$ew" in Button:4395) continue ;; Button:*|Static:-) ;; *) continue ;; esac
    read -r iw _ ix _ < <(ink_box $(( DLG_X + l )) $(( DLG_Y + t )) "$w" "$h")
    [ -n "$iw" ] && [ "$iw" -gt 4 ] || e2e_fail "control $i ($text): no caption seen"
    [ $(( ix + iw )) -le $(( w - 2 )) ] \
        || e2e_fail "control $i ($text): caption reaches the right edge (ink to $((ix + iw)) of $w px)"
done
e2e_pass_check "every control at its twips; no caption reaches its control's edge"

dlg_close dpi144
