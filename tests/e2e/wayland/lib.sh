# Helpers for the Wayland scenarios: a headless sway of the scenario's own,
# run as nobody (sway refuses root) with a private runtime folder, and the
# native kel as its client. Builds on the Linux scenarios' library for the
# settings files and on the common one for waiting and images.
. "$(dirname "${BASH_SOURCE[0]}")/../linux/lib.sh"

# wl_begin — the first call of every scenario: sway on one 1024x768 output,
# kel's settings folder, and the trap that ends what the scenario starts.
wl_begin() {
    : "${E2E_WORK:?run scenarios through tests/e2e/wayland/run.sh}" "${KEL_BIN:?}"
    E2E_T0=$(date +%s%N)
    E2E_SHOTS="$E2E_WORK/shots"
    mkdir -p "$E2E_SHOTS" "$E2E_WORK/config" "$E2E_WORK/run" "$E2E_WORK/home"
    chmod 700 "$E2E_WORK/run"
    KEL_INI="$E2E_WORK/config/kel/kel.ini"
    KEL_DAT="$E2E_WORK/config/kel/kel.dat"
    printf '%s\n' "output HEADLESS-1 resolution 1024x768 position 0 0" "xwayland disable" \
        >"$E2E_WORK/sway.config"
    chown -R nobody:nogroup "$E2E_WORK"
    WL_PIDS=()
    trap wl_end EXIT
    trap 'exit 1' INT TERM HUP
    setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin \
        HOME="$E2E_WORK/home" XDG_RUNTIME_DIR="$E2E_WORK/run" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$E2E_WORK/sway.config" \
        >"$E2E_WORK/sway.log" 2>&1 &
    WL_SWAY=$!
    e2e_wait_until 10 wl__sway_ready || e2e_fail "sway did not start (log: $(tail -3 "$E2E_WORK/sway.log"))"
    e2e_log "sway $WL_SWAY, settings in $E2E_WORK/config/kel"
}
wl__sway_ready() {
    [ -S "$E2E_WORK/run/wayland-1" ] && WL_SWAYSOCK=$(ls "$E2E_WORK"/run/sway-ipc.*.sock 2>/dev/null | head -1) \
        && [ -n "$WL_SWAYSOCK" ] && wl__as_args && wl_as swaymsg -t get_outputs >/dev/null 2>&1
}

# Ends, newest first, every process the scenario started, then sway; fails
# the scenario when sway itself had died.
wl_end() {
    local rc=$? i pid name
    trap - EXIT
    # A kel that ended with a status nobody read (a crash) fails the scenario.
    for name in "${!WL_PID[@]}"; do
        [ -f "$E2E_WORK/$name.rc" ] && [ ! -f "$E2E_WORK/$name.rc.read" ] || continue
        if [ "$(cat "$E2E_WORK/$name.rc")" != 0 ]; then
            echo "  FAIL: $name ended with exit status $(cat "$E2E_WORK/$name.rc") (a crash?)"; rc=1
        fi
    done
    for (( i = ${#WL_PIDS[@]} - 1; i >= 0; i-- )); do
        pid=${WL_PIDS[$i]}
        kill "$pid" 2>/dev/null || true
        e2e_wait_until 5 e2e_not_alive "$pid" || kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "${WL_SWAY:-}" ]; then
        if ! kill "$WL_SWAY" 2>/dev/null; then
            echo "  sway had ended by itself: $(tail -3 "$E2E_WORK/sway.log")"; rc=1
        fi
        e2e_wait_until 5 e2e_not_alive "$WL_SWAY" || kill -9 "$WL_SWAY" 2>/dev/null || true
        wait "$WL_SWAY" 2>/dev/null || true
    fi
    exit $rc
}

# wl_as COMMAND ARGS... — runs a command as nobody, a client of the sway.
wl_as() { setpriv "${WL_AS[@]}" "$@"; }
wl__as_args() {
    WL_AS=(--reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin
        HOME="$E2E_WORK/home" XDG_RUNTIME_DIR="$E2E_WORK/run" WAYLAND_DISPLAY=wayland-1
        SWAYSOCK="$WL_SWAYSOCK" XDG_CONFIG_HOME="$E2E_WORK/config")
}

# wl_hold_input — a keyboard and a pointer on the seat, as a desktop has
# them (the headless sway has none): a virtual pointer, and a virtual
# keyboard that types nothing for ten minutes. Keys then come from `wtype`,
# movements from `swaymsg seat seat0 cursor move`.
wl_hold_input() {
    setpriv "${WL_AS[@]}" "$E2E_BIN/hold_pointer" >"$E2E_WORK/hold_pointer.out" 2>&1 &
    WL_PIDS+=($!)
    setpriv "${WL_AS[@]}" wtype -s 600000 "" >"$E2E_WORK/hold_keyboard.out" 2>&1 &
    WL_PIDS+=($!)
    e2e_wait_until 5 grep -q ready "$E2E_WORK/hold_pointer.out" \
        || e2e_fail "no virtual pointer: $(cat "$E2E_WORK/hold_pointer.out")"
    e2e_wait_until 5 wl__seat_has keyboard || e2e_fail "no virtual keyboard: $(cat "$E2E_WORK/hold_keyboard.out")"
    e2e_wait_until 5 wl__seat_has pointer || e2e_fail "the seat has no pointer"
}
wl__seat_has() { wl_as swaymsg -t get_seats | grep -q "\"$1\""; }

# wl_start NAME ARGS... — kel in the background as nobody; $E2E_WORK/NAME.rc
# holds its exit status once it has ended, NAME.err its stderr.
declare -A WL_PID=()
wl_start() {
    local name="$1"; shift
    rm -f "$E2E_WORK/$name.rc" "$E2E_WORK/$name.pid"
    # setpriv and env replace themselves: the PID is kel's.
    ( setpriv "${WL_AS[@]}" "$KEL_BIN" "$@" 2>"$E2E_WORK/$name.err" & echo $! >"$E2E_WORK/$name.pid"
      wait $!; echo $? >"$E2E_WORK/$name.rc" ) &
    e2e_wait_until 5 test -s "$E2E_WORK/$name.pid"
    WL_PID[$name]=$(cat "$E2E_WORK/$name.pid")
    WL_PIDS+=($! "${WL_PID[$name]}")
    e2e_log "started $name: kel $*"
}

# wl_expect_end NAME SECONDS WHAT [STATUS] — kel NAME ends within SECONDS
# with exit status STATUS (default 0; 143 after SIGTERM) and nothing on stderr.
wl_expect_end() {
    lx_wait_exit "$1" "$2" || e2e_fail "$3: kel did not end within $2 s"
    e2e_expect_eq "$3: exit status" "$(lx_exit_code "$1")" "${4:-0}"
    [ ! -s "$E2E_WORK/$1.err" ] || e2e_fail "$3: kel wrote to stderr: $(head -3 "$E2E_WORK/$1.err")"
}

# wl_settings ORDER FONTMODE SOUND ONESHOT FRASE_NO — as lx_settings, kel's.
wl_settings() {
    lx_settings "$@"
    chown -R nobody:nogroup "$E2E_WORK/config"
}

# wl_shot NAME [OUTPUT] — a grim screenshot (of one output, or of the whole
# layout); prints its path.
wl_shot() {
    local f="$E2E_SHOTS/$1.png"
    if [ -n "${2:-}" ]; then wl_as grim -o "$2" "$f" || return 1; else wl_as grim "$f" || return 1; fi
    echo "$f"
}

# wl_wait_covered SECONDS [OUTPUT] — waits until no pixel shows the desktop's
# grey (nor the pointer drawn over it).
wl_wait_covered() { e2e_wait_until "$1" wl__covered "${2:-}"; }
wl__covered() {
    local f
    f=$(wl_shot covered "$1") && ! img_area_colours "$f" 0 0 4000 4000 | grep -qx 3f3f3f
}

# wl_wait_shot NAME KIND SECONDS [OUTPUT] — screenshots until one shows KIND
# (blank, card or saying); prints its path.
wl_wait_shot() {
    local f deadline=$(( $(date +%s) + $3 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        f=$(wl_shot "$1" "${4:-}") && [ "$(lx_kind "$f")" = "$2" ] && { echo "$f"; return 0; }
        sleep 0.1
    done
    return 1
}
