#!/bin/bash
# What we test: "/c" opens the settings dialog, and every close writes the
# six settings.
#  - with the default files the dialog appears centred on the screen, at its
#    client size, with the start phrase label black; loading writes nothing;
#  - closing it (WM_CLOSE, as the close box sends) adds OneShot=0 to [Mode]
#    of the default settings file and leaves the phrase file alone;
#  - out-of-range values: FontMode 7 goes back as 0, ViewMode 2 as 2;
#  - "One Shot" and three clicks on the spinner's up arrow write OneShot=1
#    and Frase_No=4, and the label shows a yellow 4.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../dialog_lib.sh"
e2e_begin

# --- the default files, closed untouched -------------------------------------
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
sjis_write "$KEL_DAT" "${DLG_DEFAULT_PHRASES[@]}"
cp "$KEL_INI" "$E2E_WORK/ini.before"
cp "$KEL_DAT" "$E2E_WORK/dat.before"

x_move 5 5
dlg_open defaults
e2e_log "dialog client area: ${DLG_W}x${DLG_H} at ${DLG_X},${DLG_Y}"
# 9495 x 3525 twips: 633 x 235 pixels at 96 DPI; the ratio holds at any DPI.
e2e_check "client area 9495 x 3525 twips" \
    test $(( DLG_H * 9495 / DLG_W )) -ge 3520 -a $(( DLG_H * 9495 / DLG_W )) -le 3530
# Centred by the outer size: the frame is as wide left and right, so the
# client's middle is the screen's; the title bar shifts it down a little.
cx=$(( DLG_X + DLG_W / 2 )); cy=$(( DLG_Y + DLG_H / 2 ))
e2e_check "centred across (client middle at x=$cx)" test $cx -ge 510 -a $cx -le 514
e2e_check "centred down, below the title bar (client middle at y=$cy)" \
    test $cy -ge 384 -a $cy -le 404
shot=$(x_screenshot defaults)
e2e_log "screenshot: $shot"
read -r lx ly < <(dlg_point Label2 70 80)
e2e_expect_eq "start phrase label background" "$(img_pixel "$shot" "$lx" "$ly")" 000000
expect_same_bytes "loading leaves kel.ini alone" "$KEL_INI" "$E2E_WORK/ini.before"

dlg_close defaults
expect_sjis_nonblank_lines "defaults: the six keys written, OneShot added to [Mode]" "$KEL_INI" \
    "kelシリーズ　格言・迷言セッティングファイル" \
    "(c) kel制作チーム　ご自由にお使いください" \
    "[View]" "ViewMode=0" "FontMode=0" \
    "[Mode]" "Sound=1" "Speak=1" "OneShot=0" \
    "[StartUp]" "Frase_No=0"
expect_same_bytes "defaults: kel.dat untouched" "$KEL_DAT" "$E2E_WORK/dat.before"

# --- values out of range ----------------------------------------------------
sjis_write "$KEL_INI" "[View]" "ViewMode=2" "FontMode=7" "[Mode]" "Sound=1" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=25"
dlg_open out-of-range
dlg_close out-of-range
expect_sjis_nonblank_lines "out-of-range: ViewMode 2 stays, FontMode 7 becomes 0" "$KEL_INI" \
    "[View]" "ViewMode=2" "FontMode=0" "[Mode]" "Sound=1" "Speak=0" "OneShot=0" \
    "[StartUp]" "Frase_No=25"

# --- one shot and the start phrase selector -----------------------------------
sjis_write "$KEL_INI" "${DLG_DEFAULT_SETTINGS[@]}"
dlg_open one-shot
dlg_click Option6_1 10 50
dlg_up_arrow
dlg_up_arrow
dlg_up_arrow
shot=$(x_screenshot one-shot)
e2e_log "screenshot: $shot"
read -r lx ly lw lh <<<"${DLG_TWIPS[Label2]}"
label_has_colour() {
    img_area_colours "$shot" $(( DLG_X + $(dlg_px "$lx") )) $(( DLG_Y + $(dlg_px "$ly") )) \
        "$(dlg_px "$lw")" "$(dlg_px "$lh")" | grep -qx "$1"
}
e2e_check "the start phrase label shows yellow text on black" \
    eval 'label_has_colour ffff00 && label_has_colour 000000'
dlg_close one-shot
expect_sjis_nonblank_lines "one-shot: OneShot=1 and Frase_No=4" "$KEL_INI" \
    "kelシリーズ　格言・迷言セッティングファイル" \
    "(c) kel制作チーム　ご自由にお使いください" \
    "[View]" "ViewMode=0" "FontMode=0" \
    "[Mode]" "Sound=1" "Speak=1" "OneShot=1" \
    "[StartUp]" "Frase_No=4"
expect_same_bytes "one-shot: kel.dat untouched" "$KEL_DAT" "$E2E_WORK/dat.before"
