#!/bin/bash
# What we test: "/p HANDLE", as the screen saver settings start it with the
# handle of a 152 x 112 window.
# 1. With settings and sayings of its own (one-shot, large card): the preview
#    is a child window of kel.scr's in the given window, covering its client
#    area; it goes on after one saying, writes nothing (kel.ini and kel.dat
#    stay byte for byte), does not keep a /s run started meanwhile from
#    running (that run shows its window and ends by itself, status 0); it
#    ends (status 0) within two seconds once the window is destroyed, while
#    the window's own process lives on.
# 2. Without data files: its drawing, a title card filling the window's
#    height, then the whole saying fitted to its width, and nothing drawn
#    outside the window; the missing files are not made. Wine 8 shows nothing
#    that one process draws into another's window (a minimal program drawing
#    in a child window of another process's window shows nothing either), so
#    the probe lifts the preview's window out to the same place of the
#    screen; it then ends by noticing that its window went.
. "$(dirname "$0")/../lib.sh"
e2e_begin

X=200 Y=150 W=152 H=112
BLUE=3366cc
e2e_build_tool preview_parent "preview window" -lgdi32

# parent_start NAME — the window, its handle in $handle.
parent_start() {
    rm -f "$WINEPREFIX/drive_c/stop-$1"
    (
        cd "$E2E_WORK" && "$E2E_WINE" preview_parent.exe window $X $Y $W $H "c:\\stop-$1" \
            >"$1.out" 2>/dev/null
        echo $? >"$1.rc"
    ) &
    KEL_SHELL_PID[$1]=$!
    e2e_wait_until 20 grep -q '^[0-9][0-9]*' "$E2E_WORK/$1.out" || e2e_fail "$1: no window"
    handle=$(head -1 "$E2E_WORK/$1.out" | tr -d '\r')
    e2e_log "$1: window $handle at $X,$Y, $W x $H"
}

# parent_destroy NAME PREVIEW — destroys the window; the preview must end
# within 2 s with status 0, the window's process still running.
parent_destroy() {
    touch "$WINEPREFIX/drive_c/stop-$1"
    e2e_wait_until 10 grep -q destroyed "$E2E_WORK/$1.out" || e2e_fail "$1: not destroyed"
    local t0
    t0=$(e2e_now_ns)
    kel_wait_exit "$2" 2 || e2e_fail "$2 still runs 2 s after its window was destroyed"
    e2e_log "$2 ended $(e2e_ms_since "$t0") ms after its window went"
    [ ! -f "$E2E_WORK/$1.rc" ] || e2e_fail "$1: the window's process had already ended"
    e2e_expect_eq "$2: exit status" "$(kel_exit_code "$2")" 0
    e2e_wait_until 15 test -f "$E2E_WORK/$1.rc" || e2e_fail "$1: the process did not end"
    e2e_expect_eq "$1: exit status" "$(cat "$E2E_WORK/$1.rc")" 0
}

probe() { timeout 30 "$E2E_WINE" "$E2E_WORK/preview_parent.exe" "$@" 2>/dev/null | tr -d '\r'; }

# ---- 1. the window, the files, a real run beside it, the end

sjis_write "$KEL_DAT" "*** 格言 ***" "ゴン太、ええかげんにせえよ！" "君、考え改めてもらわなあかんなぁ～" \
    "このスカ・ポン・タン"
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "" "[Mode]" "Sound=1" "Speak=0" \
    "OneShot=1" "" "[StartUp]" "Frase_No=3"
cp "$KEL_INI" "$E2E_WORK/kel.ini.before"
cp "$KEL_DAT" "$E2E_WORK/kel.dat.before"

parent_start first
kel_start preview /p "$handle"
has_child() { [ "$(probe children "$handle")" = "kelPreview 0 0 $W $H visible other" ]; }
e2e_wait_until 15 has_child || e2e_fail "no preview window over the client area: $(probe children "$handle")"
e2e_pass_check "kel.scr's window covers the given window's client area"

# The title card of 10 characters and the hold: a one-shot saver would be
# over by now.
sleep 6
kel_running preview || e2e_fail "the preview ended by itself (status $(kel_exit_code preview))"
e2e_pass_check "the preview still runs after its first saying in one-shot mode"
expect_same_bytes "kel.ini while the preview runs" "$KEL_INI" "$E2E_WORK/kel.ini.before"
expect_same_bytes "kel.dat while the preview runs" "$KEL_DAT" "$E2E_WORK/kel.dat.before"

x_move 900 700
kel_start saver /s
x_wait_window Form1 20 >/dev/null || e2e_fail "the /s run shows no window beside the preview"
e2e_pass_check "the /s run started beside the preview shows its window"
kel_wait_exit saver 30 || e2e_fail "the one-shot /s run did not end within 30 s"
e2e_expect_eq "the /s run's exit status" "$(kel_exit_code saver)" 0
kel_running preview || e2e_fail "the preview ended with the /s run"
cp "$KEL_INI" "$E2E_WORK/kel.ini.after-saver"

parent_destroy first preview
expect_same_bytes "kel.ini after the preview (as the /s run left it)" "$KEL_INI" \
    "$E2E_WORK/kel.ini.after-saver"
expect_same_bytes "kel.dat after the preview" "$KEL_DAT" "$E2E_WORK/kel.dat.before"

# ---- 2. the drawing, with the built-in defaults

rm -f "$KEL_INI" "$KEL_DAT"
parent_start second
e2e_wait_until 10 img_area_is "$(x_screenshot parent)" $X $Y $W $H $BLUE \
    || e2e_fail "the window is not painted"
outside() {  # FILE OUT: the screen with the window's area blanked
    convert "$1" -fill magenta -draw "rectangle $X,$Y $((X + W - 1)),$((Y + H - 1))" "$2"
}
outside "$E2E_SHOTS/parent.png" "$E2E_WORK/outside.before.png"

kel_start drawing /p "$handle"
e2e_wait_until 15 has_child || e2e_fail "no preview window: $(probe children "$handle")"
probe lift "$handle" kelPreview || e2e_fail "cannot lift the preview's window"

# With the defaults the title line comes first, plain; then the last saying's
# title card, then that saying whole.
card="" saying="" n=0
deadline=$(( $(e2e_now_ns) + 30000000000 ))
while [ -z "$saying" ] && [ "$(e2e_now_ns)" -lt "$deadline" ]; do
    kel_running drawing || e2e_fail "the preview ended (status $(kel_exit_code drawing))"
    n=$((n + 1))
    shot=$(x_screenshot "screen$n")
    convert "$shot" -crop "${W}x${H}+$X+$Y" +repage "$E2E_SHOTS/preview$n.png"
    outside "$shot" "$E2E_WORK/outside.png"
    diff=$(compare -metric AE "$E2E_WORK/outside.before.png" "$E2E_WORK/outside.png" null: 2>&1)
    [ "$diff" = 0 ] || e2e_fail "picture $n: $diff pixels changed outside the window"
    box=$(img_bright_bbox "$E2E_SHOTS/preview$n.png")
    [ -n "$box" ] || continue
    read -r bw bh _ _ <<<"$box"
    if [ -z "$card" ] && [ "$bh" -ge $((H / 2)) ] && [ "$bh" -lt "$H" ] && [ "$bw" -lt "$H" ]; then
        card="$n ($box)"
        e2e_check "picture $n: the preview covers the window's area" \
            bash -c "! convert '$E2E_SHOTS/preview$n.png' -unique-colors -depth 8 txt:- | grep -qi '#$BLUE'"
    # The whole saying is one line of several characters: far wider than
    # tall. The card of a single wide character (～) is not.
    elif [ -n "$card" ] && [ "$bw" -ge $((W / 2)) ] && [ "$bw" -le "$W" ] \
        && [ "$bh" -lt $((H / 4)) ] && [ "$bw" -ge $((5 * bh)) ]; then
        saying="$n ($box)"
    fi
done
[ -n "$card" ] || e2e_fail "no title card filling the window's height in $n pictures"
e2e_pass_check "title card in picture $card"
[ -n "$saying" ] || e2e_fail "no whole saying fitted to the window's width after the card"
e2e_pass_check "whole saying in picture $saying; nothing drawn outside the window in $n pictures"
convert "$E2E_SHOTS/preview${card%% *}.png" "$E2E_SHOTS/preview${saying%% *}.png" +append \
    -scale 400% "$E2E_SHOTS/preview-4x.png"

parent_destroy second drawing
expect_absent "no data file made by the preview" "$KEL_INI" "$KEL_DAT"
