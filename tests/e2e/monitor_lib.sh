# Helpers for the scenarios with several monitors or another DPI (sourced
# after lib.sh and e2e_begin).
#
# Several monitors: Xvfb's own +xinerama stacks every head at 0,0, so the
# scenario starts a nested Xephyr inside its Xvfb that lays its heads side
# by side (head 0 at 0,0, the next one to its right), and Wine takes head 0
# as the primary monitor. Its root is black (-br) and never repaints after
# xsetroot; a window painted by ImageMagick's display stands in for the
# desktop on a head.

# mon_start_xephyr WxH WxH... — a Xephyr with these heads (+xinerama) on the
# scenario's Xvfb; DISPLAY points to it afterwards. Xephyr and every desktop
# window are ended by their PIDs when the scenario ends, after its Wine
# processes and before its Xvfb.
mon_start_xephyr() {
    command -v Xephyr >/dev/null || e2e_skip "no Xephyr (package xserver-xephyr)"
    local args=() size
    for size in "$@"; do args+=(-screen "$size"); done
    rm -f "$E2E_WORK/xephyr.display"
    Xephyr -displayfd 3 "${args[@]}" +xinerama -br -nolisten tcp -noreset \
        3>"$E2E_WORK/xephyr.display" >"$E2E_WORK/xephyr.log" 2>&1 &
    MON_PIDS+=($!)
    trap mon_end EXIT
    e2e_wait_until 20 grep -q '^[0-9][0-9]*$' "$E2E_WORK/xephyr.display" \
        || e2e_fail "Xephyr did not start (see $E2E_WORK/xephyr.log)"
    export DISPLAY=":$(head -1 "$E2E_WORK/xephyr.display")"
    # Xephyr's RandR describes one screen; through Xinerama Wine sees every
    # head as a monitor.
    mon_user_reg 'Software\\Wine\\X11 Driver' UseXRandR '"N"'
    e2e_log "Xephyr $DISPLAY with heads $*"
}

MON_PIDS=()

# The scenario's EXIT trap once Xephyr runs: Wine first (its windows live on
# Xephyr), then the desktop windows and Xephyr, then what e2e_end ends.
mon_end() {
    local rc=$? i pid
    e2e_stop_wine "$WINEPREFIX"
    for (( i = ${#MON_PIDS[@]} - 1; i >= 0; i-- )); do
        pid=${MON_PIDS[$i]}
        kill "$pid" 2>/dev/null || true
        e2e_wait_until 5 e2e_not_alive "$pid" || kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    (exit $rc)
    e2e_end
}

# mon_desktop X Y W H RRGGBB — a window of that colour at X,Y (the desktop
# as a user would see it there); returns once it is on screen.
mon_desktop() {
    display -geometry "+$1+$2" -size "$3x$4" "xc:#$5" >"$E2E_WORK/display.log" 2>&1 &
    MON_PIDS+=($!)
    local shot="$E2E_WORK/desktop-probe.png"
    e2e_wait_until 20 mon__shows "$shot" "$@" \
        || e2e_fail "the $5 desktop window did not appear at $1,$2"
    MON_DESKTOP_WIDS+=" $(mon_window_at "$1" "$2" "$3" "$4") "
}
mon__shows() { import -window root "$1" 2>/dev/null && mon_area_has "$@"; }
MON_DESKTOP_WIDS=""

# mon_area_has FILE X Y W H RRGGBB — some pixel of the area has that colour.
# (ImageMagick's display draws a light edge around its picture.)
mon_area_has() { img_area_colours "$1" "$2" "$3" "$4" "$5" | grep -qx "$6"; }

# mon_window_at X Y W H — the id of a visible top-level window with exactly
# that geometry, other than a desktop window; returns 1 when there is none.
mon_window_at() {
    local id _
    while read -r id _; do
        case "$MON_DESKTOP_WIDS" in *" $id "*) continue ;; esac
        [ "$(x_geometry "$id")" = "$1 $2 $3 $4" ] && { echo "$id"; return 0; }
    done < <(x_visible_windows)
    return 1
}

# mon_set_dpi DPI — the DPI Wine gives the scenario's programs
# (HKCU\Control Panel\Desktop\LogPixels).
mon_set_dpi() {
    mon_user_reg 'Control Panel\\Desktop' LogPixels "$(printf 'dword:%08x' "$1")"
    e2e_log "DPI $1 (HKCU\\Control Panel\\Desktop\\LogPixels)"
}

# mon_user_reg KEY NAME DATA — sets a value under HKCU in the prefix's
# user.reg (KEY with its backslashes doubled, as the file writes them; DATA
# as the file writes it: "text" or dword:0000abcd). Must run before any Wine
# process of the scenario has started: the wineserver rewrites the file.
mon_user_reg() {
    local reg="$WINEPREFIX/user.reg"
    [ -f "$reg" ] || e2e_fail "no user.reg in $WINEPREFIX"
    # The value goes last into the key's block (blocks end with a blank
    # line); a block is added when the key is missing.
    KEY="[$1]" NAME="\"$2\"=" DATA="$3" awk '
        BEGIN { key = ENVIRON["KEY"]; name = ENVIRON["NAME"]; data = ENVIRON["DATA"] }
        function out() { print name data }
        /^\[/ { inside = (index($0, key " ") == 1 || $0 == key); if (inside) found = 1 }
        inside && index($0, name) == 1 { next }
        inside && /^$/ { out(); inside = 0 }
        { print }
        END {
            if (inside) out()
            if (!found) { print ""; print key " 0"; out() }
        }
    ' "$reg" >"$reg.new" && mv "$reg.new" "$reg"
    grep -qF "\"$2\"=$3" "$reg" || e2e_fail "could not set $2 in $reg"
}

# mon_child_rects TITLE — the child windows of the program's window with that
# title: "left top width height class text" per line, in client pixels
# (tools/child_rects.c, built here for the program's machine).
mon_child_rects() {
    e2e_build_tool child_rects "window probe" -municode
    timeout 30 "$E2E_WINE" "$E2E_WORK/child_rects.exe" "$1" 2>/dev/null | tr -d '\r'
}
