# Helpers for the Linux scenarios: the native kel in a private Xvfb, with its
# own settings folder and runtime folder. Builds on the Wine scenarios'
# library for Xvfb, waiting, screenshots and the data files.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

# lx_begin — the first call of every scenario: its Xvfb, its own
# XDG_CONFIG_HOME and XDG_RUNTIME_DIR, and the trap that ends what it starts.
lx_begin() {
    : "${E2E_WORK:?run scenarios through tests/e2e/linux/run.sh}" "${KEL_BIN:?}"
    E2E_T0=$(date +%s%N)
    E2E_SHOTS="$E2E_WORK/shots"
    mkdir -p "$E2E_SHOTS" "$E2E_WORK/config" "$E2E_WORK/runtime"
    chmod 700 "$E2E_WORK/runtime"
    export XDG_CONFIG_HOME="$E2E_WORK/config" XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    unset XSCREENSAVER_WINDOW
    KEL_INI="$XDG_CONFIG_HOME/kel/kel.ini"
    KEL_DAT="$XDG_CONFIG_HOME/kel/kel.dat"
    LX_PIDS=()
    trap lx_end EXIT
    trap 'exit 1' INT TERM HUP
    e2e_start_xvfb "$E2E_WORK" || e2e_fail "no X display"
    e2e_log "display $DISPLAY, settings in $XDG_CONFIG_HOME/kel"
}

# Ends, newest first, every process the scenario started, then its Xvfb.
lx_end() {
    local rc=$? i pid
    trap - EXIT
    kel__unread_exits || rc=1
    for (( i = ${#LX_PIDS[@]} - 1; i >= 0; i-- )); do
        pid=${LX_PIDS[$i]}
        kill "$pid" 2>/dev/null || true
        e2e_wait_until 5 e2e_not_alive "$pid" || kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    e2e_stop_xvfb "$E2E_WORK"
    exit $rc
}

# lx_start NAME ARGS... — kel in the background; $E2E_WORK/NAME.rc holds its
# exit status once it has ended, NAME.err its stderr; LX_PID[NAME] its PID.
lx_start() {
    local name="$1"; shift
    rm -f "$E2E_WORK/$name.rc" "$E2E_WORK/$name.pid"
    ( "$KEL_BIN" "$@" 2>"$E2E_WORK/$name.err" & echo $! >"$E2E_WORK/$name.pid"
      wait $!; echo $? >"$E2E_WORK/$name.rc" ) &
    e2e_wait_until 5 test -s "$E2E_WORK/$name.pid"
    LX_PID[$name]=$(cat "$E2E_WORK/$name.pid")
    LX_PIDS+=($! "${LX_PID[$name]}")
    e2e_log "started $name: kel $*"
}
lx_exited() { [ -f "$E2E_WORK/$1.rc" ]; }
lx_wait_exit() { e2e_wait_until "$2" lx_exited "$1"; }
lx_exit_code() { touch "$E2E_WORK/$1.rc.read"; cat "$E2E_WORK/$1.rc"; }
# lx_expect_exit NAME [CODE] — the instance has ended, with CODE (default 0).
lx_expect_exit() {
    lx_exited "$1" || e2e_fail "$1: still running"
    e2e_expect_eq "$1: exit status" "$(lx_exit_code "$1")" "${2:-0}"
}

# Sayings whose every character is symmetric, so that any title card's ink
# is centred where the character is: one that fits the screen at 72 points
# and one that the fit loop must shrink.
LX_PHRASES=("*** 格言・迷言シリーズ ***" "口口口口口口口口口口" "回回回回回回回回回回回回回回回回回回回回")

# lx_settings ORDER FONTMODE SOUND ONESHOT FRASE_NO — a settings file of the
# default's shape with these values (Speak 0), and LX_PHRASES.
lx_settings() {
    mkdir -p "$(dirname "$KEL_INI")"
    sjis_write "$KEL_INI" "${KEL_DEFAULT_SETTINGS[@]:0:3}" "[View]" "ViewMode=$1" "FontMode=$2" "" \
        "[Mode]" "Sound=$3" "Speak=0" "OneShot=$4" "" "[StartUp]" "Frase_No=$5"
    sjis_write "$KEL_DAT" "${LX_PHRASES[@]}"
}

# lx_frase_no — the start index the settings file holds now.
lx_frase_no() { sjis_read "$KEL_INI" | sed -n 's/^Frase_No=//p'; }

# lx_wait_shot NAME KIND SECONDS — takes screenshots until one shows KIND
# (blank, card or saying, as lx_kind tells); prints its path.
lx_wait_shot() {
    local f="$E2E_SHOTS/$1.png" deadline=$(( $(date +%s) + $3 ))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        import -window root "$f" 2>/dev/null && [ "$(lx_kind "$f")" = "$2" ] && { echo "$f"; return 0; }
        sleep 0.1
    done
    return 1
}
# A card is one character: about as wide as tall. A saying is a long line.
lx_kind() {
    local w h _
    read -r w h _ <<<"$(img_bright_bbox "$1")"
    if [ -z "$w" ]; then echo blank
    elif [ $((w * 2)) -le $((h * 3)) ]; then echo card
    else echo saying; fi
}

# expect_centred_in "what" "W H X Y" AREA_X AREA_Y AREA_W AREA_H SLACK —
# the box lies inside the area and is centred in it within SLACK pixels.
expect_centred_in() {
    local w h x y
    read -r w h x y <<<"$2"
    [ -n "$w" ] || e2e_fail "$1: nothing bright on screen"
    [ "$x" -ge "$3" ] && [ "$y" -ge "$4" ] && [ $((x + w)) -le $(($3 + $5)) ] && [ $((y + h)) -le $(($4 + $6)) ] \
        || e2e_fail "$1: box $2 not inside ${5}x${6}+$3+$4"
    local dx=$(( 2 * (x - $3) + w - $5 )) dy=$(( 2 * (y - $4) + h - $6 ))
    [ ${dx#-} -le $((2 * $7)) ] && [ ${dy#-} -le $((2 * $7)) ] || e2e_fail "$1: box $2 not centred in ${5}x${6}+$3+$4"
    e2e_pass_check "$1: box $2 centred in ${5}x${6}+$3+$4"
}

# lx_check_boxes FILE AREA_X AREA_Y AREA_W AREA_H — every line of a
# bright_boxes log (cut to that area's pixels, as the boxes are) checked: each
# title-card frame is one character most of the area's height, centred; each
# saying frame is centred. Prints the number of separate title cards seen.
lx_check_boxes() {
    awk -v ax="$2" -v ay="$3" -v aw="$4" -v ah="$5" '
        function fail(why) { printf "frame at %d ms: box %dx%d+%d+%d: %s\n", $1, $2, $3, $4, $5, why; bad = 1 }
        $2 == 0 { next }
        {
            w = $2; h = $3; dx = 2 * ($4 - ax) + w - aw; dy = 2 * ($5 - ay) + h - ah
            if (dx < 0) dx = -dx; if (dy < 0) dy = -dy
            if (w * 2 <= h * 3) {
                if (!incard) { cards++; incard = 1 }
                if (h >= ah || h * 768 < ah * 450) fail("card not most of the height")
                else if (dx > 80 || dy > 160) fail("card not centred")
            } else {
                incard = 0
                if (dx > 24 || dy > 24) fail("saying not centred")
            }
        }
        END { print cards + 0; exit bad }' "$1"
}
