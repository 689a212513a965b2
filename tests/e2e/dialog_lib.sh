# Helpers for the settings dialog's scenarios (sourced after lib.sh).
#
# The dialog's X window covers its client area only (no window manager draws
# a frame), so a control at client twips (x, y) lies at the window's position
# plus the twips scaled by the client width, which is 9495 twips wide.

DLG_TITLE="メッセージエディター"

# The default files, as the saver writes them (lib.sh).
DLG_DEFAULT_PHRASES=("${KEL_DEFAULT_PHRASES[@]}")
DLG_DEFAULT_SETTINGS=("${KEL_DEFAULT_SETTINGS[@]}")

# Control places on the client area, in twips: "left top width height".
declare -A DLG_TWIPS=(
    [Text1]="4725 630 4575 2820"
    [Command1]="7920 105 1365 330"
    [Option6_1]="1695 3030 1185 195"
    [VScroll1]="4110 2865 285 495"
    [Label2]="3195 2970 855 285"
)

# dlg_open NAME SECONDS — starts kel.scr /c and waits for the dialog; sets
# DLG_WID and DLG_X DLG_Y DLG_W DLG_H (the client area on the screen).
dlg_open() {
    local name="$1" seconds="${2:-30}"
    kel_start "$name" /c
    DLG_WID=$(x_wait_window "$DLG_TITLE" "$seconds") || e2e_fail "$name: no dialog within $seconds s"
    read -r DLG_X DLG_Y DLG_W DLG_H < <(x_geometry "$DLG_WID")
    # Let the first paint finish before anything is clicked or captured.
    sleep 0.5
}

# dlg_px TWIPS — client pixels for a length in twips at the dialog's scale.
dlg_px() { echo $(( ($1 * DLG_W + 4747) / 9495 )); }

# dlg_point CONTROL FX FY — the screen point at fraction FX/100, FY/100 of
# the control's box, as "X Y".
dlg_point() {
    local l t w h
    read -r l t w h <<<"${DLG_TWIPS[$1]}"
    echo "$(( DLG_X + $(dlg_px "$l") + $(dlg_px "$w") * $2 / 100 ))" \
         "$(( DLG_Y + $(dlg_px "$t") + $(dlg_px "$h") * $3 / 100 ))"
}

# dlg_click CONTROL [FX FY] — one left click inside the control.
dlg_click() {
    local x y
    read -r x y < <(dlg_point "$1" "${2:-30}" "${3:-50}")
    # A synchronous move to where the pointer already is waits for a motion
    # that never comes; move only when it is elsewhere.
    [ "$(x_pointer)" = "$x $y" ] || x_move "$x" "$y"
    x_click 1
    sleep 0.3
}

# dlg_up_arrow — one click on the spinner's upper arrow.
dlg_up_arrow() { dlg_click VScroll1 50 12; }

# dlg_close NAME — closes the dialog as the close box does (WM_CLOSE) and
# waits for the program to end.
dlg_close() {
    x_close_window "$DLG_WID" || e2e_fail "$1: could not focus the dialog"
    kel_wait_exit "$1" 20 || e2e_fail "$1: the program did not end within 20 s of the close"
    e2e_pass_check "$1: closing ended the program"
}

# dlg_follow_focus NAME — starts tools/dialog_focus.c (built for the program's
# machine) on the open dialog; a line per focus move goes to $DLG_FOCUS_LOG.
# Waits for its first line, the control that has the focus now.
dlg_follow_focus() {
    local exe="$E2E_WORK/dialog_focus.exe"
    e2e_build_tool dialog_focus "focus probe" -lshell32
    DLG_FOCUS_LOG="$E2E_WORK/$1.focus"
    : >"$DLG_FOCUS_LOG"
    "$E2E_WINE" "$exe" "$DLG_TITLE" 200 >"$DLG_FOCUS_LOG" 2>/dev/null &
    e2e_wait_until 30 test -s "$DLG_FOCUS_LOG" || e2e_fail "$1: the focus probe saw no dialog"
}

# dlg_focus — the control that has the focus now, as the probe names it.
dlg_focus() { tail -n 1 "$DLG_FOCUS_LOG"; }

# dlg_key_moves KEY EXPECTED — presses KEY (xdotool name) and waits until the
# focus has moved to EXPECTED ("Edit", "ScrollBar", "Button <caption>").
dlg_key_moves() {
    local key="$1" want="$2" before
    before=$(wc -l <"$DLG_FOCUS_LOG")
    x_key "$key"
    moved() { [ "$(wc -l <"$DLG_FOCUS_LOG")" -gt "$before" ] && [ "$(dlg_focus)" = "$want" ]; }
    e2e_wait_until 5 moved || e2e_fail "$key: the focus is on '$(dlg_focus)', expected '$want'" \
        "(focus so far: $(tr '\n' '|' <"$DLG_FOCUS_LOG"))"
}

# dlg_keys KEY... — presses keys that act on the focused control without
# moving the focus; the focus must stay where it was.
dlg_keys() {
    local was
    was=$(dlg_focus)
    x_key --delay 150 "$@"
    sleep 0.5
    [ "$(dlg_focus)" = "$was" ] || e2e_fail "$*: the focus moved from '$was' to '$(dlg_focus)'"
}
