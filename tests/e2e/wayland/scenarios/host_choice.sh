#!/bin/bash
# What we test: which host runs. -x11/--x11 choose X11 even under a
# layer-shell compositor; -wayland/--wayland choose Wayland and say so when
# there is none; -wayland with an X window to draw in is refused; with no
# compositor at $WAYLAND_DISPLAY the X11 host runs; a compositor without
# layer-shell gets one clear line, then X11. Without an X display each X11
# run ends with its one message and exit code 1, writing nothing.
. "$(dirname "$0")/../lib.sh"
wl_begin
setpriv "${WL_AS[@]}" "$E2E_BIN/bare_compositor" >"$E2E_WORK/bare.out" 2>&1 &
WL_PIDS+=($!)
e2e_wait_until 5 grep -q ready "$E2E_WORK/bare.out" || e2e_fail "the bare compositor did not start"

# case NAME EXPECTED-STDERR-PATTERN ENV-AND-ARGS... — runs kel to its end.
case_() {
    local name="$1" pattern="$2"; shift 2
    timeout -k 2 10 setpriv "${WL_AS[@]}" env "$@" 2>"$E2E_WORK/$name.err" >/dev/null
    local rc=$?
    e2e_expect_eq "$name: exit code" "$rc" 1
    grep -qE -e "$pattern" "$E2E_WORK/$name.err" || e2e_fail "$name: stderr was: $(cat "$E2E_WORK/$name.err")"
    head -1 "$E2E_WORK/$name.err" | grep -q '^kel: ' || e2e_fail "$name: the message does not begin with kel:"
    e2e_pass_check "$name: $(grep -v '^kel: ' "$E2E_WORK/$name.err" | tr '\n' ' ')"
    [ ! -e "$KEL_INI" ] || e2e_fail "$name: kel.ini was written"
}
x11='opening the X display'
case_ "-x11 under sway" "$x11" "$KEL_BIN" -x11
case_ "--x11 under sway" "$x11" "$KEL_BIN" --x11 --order list
case_ "--wayland without a compositor" 'connecting to the Wayland compositor' -u WAYLAND_DISPLAY "$KEL_BIN" --wayland
case_ "-wayland with -root" '-wayland cannot draw into an X window' "$KEL_BIN" -wayland -root
case_ "no compositor at WAYLAND_DISPLAY" "$x11" WAYLAND_DISPLAY=wayland-9 "$KEL_BIN"
case_ "a compositor without layer-shell" "$x11" WAYLAND_DISPLAY=wayland-bare "$KEL_BIN"
e2e_expect_eq "its first line" "$(head -1 "$E2E_WORK/a compositor without layer-shell.err")" \
    "kel: this Wayland compositor offers no layer-shell surfaces for screen savers, and there is no X display to use instead"
