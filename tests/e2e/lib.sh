# Helpers for the end-to-end scenarios: the real kel.scr under Wine in a
# private Xvfb display. Sourced by tests/e2e/run.sh and by every scenario.
# Conventions and the list of helpers: tests/e2e/README.md.
#
# Nothing here is global to the machine: every display is chosen free by
# Xvfb itself, every prefix lives in the run's own temporary directory, and
# every process a scenario starts is ended by its EXIT trap (wine through
# `wineserver -k` of its own prefix, Xvfb by its PID).

E2E_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
E2E_REPO="$(cd "$E2E_LIB_DIR/../.." && pwd)"

E2E_SCREEN_W=1024
E2E_SCREEN_H=768

# Wine runs as on a Japanese system: the ANSI code page is then 932.
e2e_wine_env() {
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    if [ -n "${E2E_WINELOADER:-}" ]; then export WINELOADER="$E2E_WINELOADER"; fi
}

# ---------------------------------------------------------------- messages

# Each line carries the seconds since the scenario began.
e2e__stamp() {
    local ms=$(( ( $(date +%s%N) - ${E2E_T0:-$(date +%s%N)} ) / 1000000 ))
    printf '%3d.%01ds' $((ms / 1000)) $(( (ms % 1000) / 100 ))
}
e2e_log()  { echo "  $(e2e__stamp) $*"; }
e2e_fail() { echo "  $(e2e__stamp) FAIL: $*"; exit 1; }
e2e_skip() { echo "  $(e2e__stamp) SKIP: $*"; exit 77; }
e2e_pass_check() { echo "  $(e2e__stamp) ok: $*"; }

# e2e_check "what" command args...  — runs the command; fails the scenario
# with "what" when it returns non-zero.
e2e_check() {
    local what="$1"; shift
    if "$@"; then e2e_pass_check "$what"; else e2e_fail "$what"; fi
}

# e2e_expect_eq "what" actual expected
e2e_expect_eq() {
    if [ "$2" = "$3" ]; then
        e2e_pass_check "$1"
    else
        e2e_fail "$1: got '$2', expected '$3'"
    fi
}

# ---------------------------------------------------------------- waiting

# e2e_wait_until SECONDS command args...  — polls every 0.1 s (E2E_POLL)
# until the command succeeds (returns 0) or the deadline passes (returns 1).
e2e_wait_until() {
    local seconds="$1"; shift
    local deadline=$(( $(date +%s%N) + ${seconds%.*} * 1000000000 ))
    while :; do
        if "$@"; then return 0; fi
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep "${E2E_POLL:-0.1}"
    done
}

# e2e_ms_since START_NS — milliseconds since a `date +%s%N` time stamp.
e2e_now_ns() { date +%s%N; }
e2e_ms_since() { echo $(( ( $(date +%s%N) - $1 ) / 1000000 )); }

# ---------------------------------------------------------------- wine choice

# Decides how this host runs Windows programs and checks that the program
# under test matches. Sets E2E_WINE (the loader to call) and E2E_WINELOADER.
# The shipped program is 32-bit. A kernel without 32-bit support runs wine32
# through qemu-i386 registered with binfmt_misc (scripts/install-deps sets
# that up); only where that is impossible do the scripts fall back to the
# 64-bit build of the same source under wine64.
e2e_host_can_run_32bit() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# True when 32-bit programs run through qemu rather than on the processor.
# (A binfmt_misc entry for i386 takes precedence over the kernel's own ELF
# loader, so where it is enabled every 32-bit program is emulated.)
e2e_32bit_emulated() {
    [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] \
        && head -1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -qx enabled
}

# e2e_route [PROGRAM] — how PROGRAM (default $KEL_SCR) runs here, in words:
# "native 32-bit", "emulated 32-bit (qemu-i386 VERSION)" or "64-bit fallback".
e2e_route() {
    local f="${1:-$KEL_SCR}"
    case "$(e2e_pe_machine "$f")" in
        amd64) echo "64-bit fallback" ;;
        i386)
            if e2e_32bit_emulated; then
                echo "emulated 32-bit (qemu-i386 $(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || echo '?'))"
            else
                echo "native 32-bit"
            fi ;;
        *) echo "unknown" ;;
    esac
}

# Prints i386, amd64 or unknown for a PE file.
e2e_pe_machine() {
    local f="$1" off machine
    off=$(od -An -t u4 -j 60 -N 4 "$f" 2>/dev/null | tr -d ' ')
    [ -n "$off" ] || { echo unknown; return; }
    machine=$(od -An -t x2 -j $((off + 4)) -N 2 "$f" 2>/dev/null | tr -d ' ')
    case "$machine" in
        014c) echo i386 ;;
        8664) echo amd64 ;;
        *) echo unknown ;;
    esac
}

e2e_choose_wine() {
    local machine
    machine=$(e2e_pe_machine "$KEL_SCR")
    if [ -n "${KEL_WINE:-}" ]; then
        E2E_WINE="$KEL_WINE"
    elif [ "$machine" = amd64 ]; then
        E2E_WINE=/usr/lib/wine/wine64
        E2E_WINELOADER=/usr/lib/wine/wine64
    elif e2e_host_can_run_32bit; then
        E2E_WINE=wine
    else
        echo "e2e: $KEL_SCR is a 32-bit program and this kernel cannot run 32-bit code;" >&2
        echo "e2e: build the 64-bit variant (scripts/build win64) and set KEL_SCR=build/win64/kel.scr" >&2
        return 1
    fi
    export E2E_WINE E2E_WINELOADER
}

# ---------------------------------------------------------------- Xvfb

# e2e_start_xvfb DIR — starts a private Xvfb on the first free display,
# writes its PID to DIR/xvfb.pid and exports DISPLAY.
e2e_start_xvfb() {
    local dir="$1"
    rm -f "$dir/xvfb.display"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" \
        -nolisten tcp -noreset 3>"$dir/xvfb.display" >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    # Xvfb writes the display number and a newline once it accepts clients.
    if ! e2e_wait_until 20 grep -q '^[0-9][0-9]*$' "$dir/xvfb.display"; then
        echo "e2e: Xvfb did not start (see $dir/xvfb.log)" >&2
        return 1
    fi
    export DISPLAY=":$(head -1 "$dir/xvfb.display")"
}

e2e_stop_xvfb() {
    local dir="$1" pid
    [ -f "$dir/xvfb.pid" ] || return 0
    pid=$(cat "$dir/xvfb.pid")
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        e2e_wait_until 5 e2e_not_alive "$pid" || kill -9 "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
}

e2e_not_alive() { ! kill -0 "$1" 2>/dev/null; }

# ---------------------------------------------------------------- prefixes

# e2e_stop_wine PREFIX — ends every Windows process of that prefix and waits
# (bounded) for its wineserver to go.
e2e_stop_wine() {
    local prefix="$1"
    [ -d "$prefix" ] || return 0
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout 15 wineserver -w >/dev/null 2>&1 || true
}

# e2e_make_template PREFIX — boots a fresh prefix once (about 15 s).
# Needs DISPLAY and the wine environment.
e2e_make_template() {
    local prefix="$1"
    (
        e2e_wine_env
        export WINEPREFIX="$prefix"
        timeout 180 "$E2E_WINE" wineboot --init >"$prefix.boot.log" 2>&1
        # No debugger on a crash: the process ends at once with the
        # exception's code, as where no debugger is registered, and the
        # scenario sees that status instead of waiting out a crash dialog.
        local view
        for view in 32 64; do
            timeout 60 "$E2E_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /d '' /f /reg:$view >>"$prefix.boot.log" 2>&1
        done
        timeout 60 wineserver -w
    ) || { echo "e2e: wineboot failed (see $prefix.boot.log)" >&2; return 1; }
    [ -f "$prefix/system.reg" ] || { echo "e2e: wineboot left no registry in $prefix" >&2; return 1; }
    # The data files must not exist in the template: each scenario decides.
    rm -f "$prefix/drive_c/windows/kel.ini" "$prefix/drive_c/windows/kel.dat"
}

# e2e_repair_wow64 PREFIX — a 64-bit prefix booted while 32-bit programs
# could not run has an empty syswow64, and 32-bit programs then fail in it.
# Once they run (natively or through qemu), a bootstrap-mode update fills
# it; a plain "wineboot -u" does not.
e2e_repair_wow64() {
    local prefix="$1"
    e2e_host_can_run_32bit || return 0
    grep -q '^#arch=win64' "$prefix/system.reg" 2>/dev/null || return 0
    [ -z "$(ls -A "$prefix/drive_c/windows/syswow64" 2>/dev/null)" ] || return 0
    echo "e2e: filling the empty syswow64 of $prefix (once)" >&2
    (
        e2e_wine_env
        export WINEPREFIX="$prefix" WINEBOOTSTRAPMODE=1
        timeout 180 /usr/lib/wine/wine64 wineboot -u >"$prefix.repair.log" 2>&1
        timeout 60 wineserver -w
    )
}

# e2e_copy_prefix TEMPLATE DEST — a scenario's own prefix. The large DLL
# tree is hard-linked (Wine only reads it); everything Wine may write, the
# registry and c:\windows itself, is a real copy.
e2e_copy_prefix() {
    local src="$1" dst="$2"
    mkdir -p "$dst"
    (cd "$src" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$dst"/ \;)
    mkdir -p "$dst/drive_c"
    (cd "$src/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$dst/drive_c"/ \;)
    mkdir -p "$dst/drive_c/windows"
    (cd "$src/drive_c/windows" && find . -mindepth 1 -maxdepth 1 ! -name system32 ! -name syswow64 \
        -exec cp -a {} "$dst/drive_c/windows"/ \;)
    local d
    for d in system32 syswow64; do
        if [ -d "$src/drive_c/windows/$d" ]; then
            cp -al "$src/drive_c/windows/$d" "$dst/drive_c/windows/$d"
        fi
    done
    # The directory's own time stamps, which Wine compares at start-up.
    touch -r "$src" "$dst"
}

# ---------------------------------------------------------------- scenario

# e2e_begin — the first call of every scenario. Gives the scenario its own
# prefix (a copy of the run's template), its own Xvfb, the program placed at
# c:\kel\kel.scr, and the trap that ends everything it starts.
e2e_begin() {
    : "${E2E_WORK:?run scenarios through tests/e2e/run.sh}"
    : "${E2E_TEMPLATE:?run scenarios through tests/e2e/run.sh}"
    : "${KEL_SCR:?}"
    E2E_T0=$(date +%s%N)
    mkdir -p "$E2E_WORK"
    E2E_SHOTS="$E2E_WORK/shots"
    mkdir -p "$E2E_SHOTS"
    trap e2e_end EXIT
    trap 'exit 1' INT TERM HUP
    e2e_wine_env
    export WINEPREFIX="$E2E_WORK/prefix"
    e2e_copy_prefix "$E2E_TEMPLATE" "$WINEPREFIX"
    e2e_start_xvfb "$E2E_WORK" || e2e_fail "no X display"
    KEL_WINDIR="$WINEPREFIX/drive_c/windows"
    KEL_INI="$KEL_WINDIR/kel.ini"
    KEL_DAT="$KEL_WINDIR/kel.dat"
    kel_place_program "kel"
    e2e_log "prefix $WINEPREFIX, display $DISPLAY"
}

# Runs from the EXIT trap: ends the scenario's wine processes and its Xvfb.
# An instance that ended by itself with a status the scenario never read
# (kel_exit_code) must have ended with 0: a crash fails the scenario.
e2e_end() {
    local rc=$?
    trap - EXIT
    kel__unread_exits || rc=1
    e2e_stop_wine "$WINEPREFIX"
    # The background shells that waited for each wine process.
    local p
    for p in "${!KEL_SHELL_PID[@]}"; do wait "${KEL_SHELL_PID[$p]}" 2>/dev/null || true; done
    e2e_stop_xvfb "$E2E_WORK"
    exit $rc
}

# ---------------------------------------------------------------- the program

declare -A KEL_SHELL_PID=() LX_PID=()

# kel_place_program DIR — copies the program under test to
# drive_c/DIR/kel.scr of the scenario's prefix (DIR may hold several parts and
# any characters, e.g. a start-up folder path) and runs it from there.
kel_place_program() {
    KEL_EXE_DIR="$WINEPREFIX/drive_c/$1"
    mkdir -p "$KEL_EXE_DIR"
    cp "$KEL_SCR" "$KEL_EXE_DIR/kel.scr"
}

# kel_start NAME [ARGS...] — starts the saver in the background with the
# given arguments (none at all when none are given). NAME names this
# instance for the helpers below.
kel_start() {
    local name="$1"; shift
    rm -f "$E2E_WORK/$name.rc"
    (
        cd "$KEL_EXE_DIR" || exit 1
        "$E2E_WINE" kel.scr "$@" >"$E2E_WORK/$name.out" 2>&1
        echo $? >"$E2E_WORK/$name.rc.tmp"
        mv "$E2E_WORK/$name.rc.tmp" "$E2E_WORK/$name.rc"
    ) &
    KEL_SHELL_PID[$name]=$!
    e2e_log "started $name: kel.scr $*"
}

# kel_loaded_dlls NAME — the Windows DLLs mapped into the running instance,
# lower-case, one per line.
kel_loaded_dlls() {
    local pid
    for pid in $(pgrep -P "${KEL_SHELL_PID[$1]}"); do
        grep -oi '[^/]*\.dll$' "/proc/$pid/maps" 2>/dev/null
    done | tr '[:upper:]' '[:lower:]' | sort -u
}

kel_exited() { [ -f "$E2E_WORK/$1.rc" ]; }
kel_running() { ! kel_exited "$1"; }
kel_exit_code() { touch "$E2E_WORK/$1.rc.read"; cat "$E2E_WORK/$1.rc" 2>/dev/null; }

# kel_expect_exit NAME [CODE] — the instance has ended, with CODE (default 0).
kel_expect_exit() {
    kel_exited "$1" || e2e_fail "$1: still running"
    e2e_expect_eq "$1: exit status" "$(kel_exit_code "$1")" "${2:-0}"
}

# Fails (returns 1) for each instance that has ended with a non-zero status
# nobody read.
kel__unread_exits() {
    local name ok=0
    for name in "${!KEL_SHELL_PID[@]}" "${!LX_PID[@]}"; do
        [ -f "$E2E_WORK/$name.rc" ] && [ ! -f "$E2E_WORK/$name.rc.read" ] || continue
        if [ "$(cat "$E2E_WORK/$name.rc")" != 0 ]; then
            echo "  $(e2e__stamp) FAIL: $name ended with exit status $(cat "$E2E_WORK/$name.rc") (a crash?)"
            ok=1
        fi
    done
    return $ok
}

# kel_wait_exit NAME SECONDS — 0 when the instance ended within the time.
kel_wait_exit() { e2e_wait_until "$2" kel_exited "$1"; }

# ---------------------------------------------------------------- X windows

# x_windows TITLE — the ids of the visible (mapped) windows whose name is
# exactly TITLE, one per line.
x_windows() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$"
    xdotool search --onlyvisible --name "$re" 2>/dev/null || true
}

x_window_count() { x_windows "$1" | grep -c . || true; }

# x_wait_window TITLE SECONDS — prints the id of the first visible window
# with that title; returns 1 when none appeared before the deadline.
x_wait_window() {
    local title="$1" seconds="$2"
    e2e_wait_until "$seconds" x__has_window "$title" || return 1
    x_windows "$title" | head -1
}
x__has_window() { [ -n "$(x_windows "$1")" ]; }

# x_wait_no_window TITLE SECONDS
x_wait_no_window() { e2e_wait_until "$2" x__no_window "$1"; }
x__no_window() { [ -z "$(x_windows "$1")" ]; }

# x_visible_windows — every mapped top-level window: "id name" per line.
x_visible_windows() {
    local w root
    root=$(printf '%d' "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-fA-F]*\).*/\1/p')")
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        [ "$w" = "$root" ] && continue
        echo "$w $(xdotool getwindowname "$w" 2>/dev/null)"
    done
}

# x_geometry WID — prints "X Y WIDTH HEIGHT" in screen pixels.
x_geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# ---------------------------------------------------------------- input

# x_move X Y — moves the pointer and waits (bounded) until the server has it
# there. (xdotool's own --sync waits without end when nothing needs to move.)
x_move() {
    xdotool mousemove "$1" "$2" || return 1
    e2e_wait_until 3 x__pointer_at "$1" "$2"
}
x__pointer_at() { [ "$(x_pointer)" = "$1 $2" ]; }
x_click() { xdotool click "${1:-1}"; }
x_key()   { xdotool key "$@"; }

# x_close_window WID — WM_CLOSE through alt+F4 on the focused window.
x_close_window() { xdotool windowfocus --sync "$1" && xdotool key alt+F4; }

# x_pointer — prints "X Y" of the pointer.
x_pointer() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    echo "$X $Y"
}

# x_cursor_visible_pixels — how many pixels of the pointer the X server
# draws now are not fully transparent. (Screenshots never show the pointer.)
x_cursor_visible_pixels() {
    local probe="${E2E_BIN:?}/cursor_probe" out
    out=$("$probe") || return 1
    echo "${out##* }"
}

# ---------------------------------------------------------------- screenshots

# x_screenshot NAME — the whole screen to $E2E_SHOTS/NAME.png; prints the path.
x_screenshot() {
    local f="$E2E_SHOTS/$1.png"
    import -window root "$f" 2>/dev/null || return 1
    echo "$f"
}

# img_pixel FILE X Y — "RRGGBB" (lower-case hex) of one pixel.
img_pixel() {
    convert "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null \
        | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -1 | tr 'A-F' 'a-f'
}

# img_area_colours FILE X Y W H — the distinct colours of an area, "RRGGBB"
# per line.
img_area_colours() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -unique-colors -depth 8 txt:- 2>/dev/null \
        | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'A-F' 'a-f'
}

# img_area_is FILE X Y W H RRGGBB — the whole area has that one colour.
img_area_is() {
    local colours
    colours=$(img_area_colours "$1" "$2" "$3" "$4" "$5")
    [ "$colours" = "$6" ]
}

# img_bright_bbox FILE — bounding box "W H X Y" of the bright (near white)
# pixels, or nothing when there are none.
img_bright_bbox() {
    local geo
    geo=$(convert "$1" -colorspace gray -threshold 50% -format '%@' info: 2>/dev/null)
    # An image without bright pixels trims to nothing.
    if [ -z "$geo" ] || [ "$(convert "$1" -colorspace gray -threshold 50% -format '%[fx:maxima]' info:)" = 0 ]; then
        return 0
    fi
    echo "$geo" | sed 's/^\([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\)$/\1 \2 \3 \4/'
}

# expect_large_card "W H X Y" — the bright box of a large title card: one
# character filling most of the screen's height, centred both ways.
expect_large_card() {
    local card="$1" w h x y off
    read -r w h x y <<<"$card"
    [ "$h" -lt "$E2E_SCREEN_H" ] && [ "$h" -ge $(( E2E_SCREEN_H * 450 / 768 )) ] \
        || e2e_fail "card: $h px tall, expected most of the $E2E_SCREEN_H-pixel screen"
    off=$(( 2 * x + w - E2E_SCREEN_W )); off=${off#-}
    [ $(( off / 2 )) -le 40 ] || e2e_fail "card: not centred horizontally (box $card)"
    off=$(( 2 * y + h - E2E_SCREEN_H )); off=${off#-}
    [ $(( off / 2 )) -le 80 ] || e2e_fail "card: not centred vertically (box $card)"
    e2e_pass_check "card: one character $w x $h px, centred (box $card)"
}

# ---------------------------------------------------------------- data files

# The default files as the saver writes them: these exact lines, each in
# Shift-JIS followed by CR LF.
KEL_DEFAULT_PHRASES=(
    "*** 格言・迷言シリーズ ***"
    "ゴン太、ええかげんにせえよ！"
    "えぇ～いぃ！"
    "ミケ子はん、それ言うたらあかんで～"
    "君、考え改めてもらわなあかんなぁ～"
    "出直してこ来んかい！！！どあほ！！！"
    "すんまへん...ポリポリ"
    "ポン吉どん、また寝坊かいな"
    "このスカ・ポン・タン"
    "なぁヨネ次郎、もうちょい気張らんかい！"
    "こんなんあかんでぇ！！"
    "またかいなぁ～"
)
KEL_DEFAULT_SETTINGS=(
    "kelシリーズ　格言・迷言セッティングファイル"
    "(c) kel制作チーム　ご自由にお使いください"
    ""
    "[View]"
    "ViewMode=0"
    "FontMode=0"
    ""
    "[Mode]"
    "Sound=1"
    "Speak=1"
    ""
    "[StartUp]"
    "Frase_No=0"
)

# sjis_write FILE LINE... — writes the lines in Shift-JIS (code page 932),
# each ended by CR LF. No lines: an empty file.
sjis_write() {
    local f="$1"; shift
    : >"$f"
    local l
    for l in "$@"; do
        printf '%s\r\n' "$l" | iconv -f UTF-8 -t CP932 >>"$f" \
            || { echo "e2e: cannot encode '$l' in CP932" >&2; return 1; }
    done
}

# sjis_read FILE — the file as UTF-8 text, CR LF turned into LF.
sjis_read() { iconv -f CP932 -t UTF-8 "$1" | sed 's/\r$//'; }

# sjis_show FILE — the file for a person: UTF-8, line ends shown as \r\n.
sjis_show() {
    { iconv -f CP932 -t UTF-8 "$1" 2>/dev/null || cat "$1"; } \
        | sed -e 's/\r$/\\r/' -e 's/$/\\n/' -e 's/^/  | /'
}

# expect_same_bytes "what" ACTUAL EXPECTED — exact byte comparison; on a
# difference fails with both files shown as hex.
expect_same_bytes() {
    local what="$1" actual="$2" expected="$3"
    [ -f "$actual" ] || e2e_fail "$what: $actual does not exist"
    if cmp -s "$actual" "$expected"; then
        e2e_pass_check "$what"
    else
        echo "  --- expected ($expected)"; xxd "$expected" | sed 's/^/  /'
        echo "  --- actual ($actual)";     xxd "$actual" | sed 's/^/  /'
        diff <(xxd -c 16 "$expected") <(xxd -c 16 "$actual") | head -20 | sed 's/^/  /'
        e2e_fail "$what: bytes differ"
    fi
}

# expect_sjis_nonblank_lines "what" FILE LINE... — the non-blank lines of
# FILE are exactly LINE... in Shift-JIS with CR LF, in this order. Used after
# a profile write: Wine's writer drops blank lines where Windows keeps them.
expect_sjis_nonblank_lines() {
    local what="$1" file="$2"; shift 2
    local expected="$E2E_WORK/expected.$$" actual="$E2E_WORK/actual.$$" l
    [ -f "$file" ] || e2e_fail "$what: $file does not exist"
    local want=()
    for l in "$@"; do [ -n "$l" ] && want+=("$l"); done
    sjis_write "$expected" "${want[@]}"
    # Keep every line but the empty ones (CR LF or LF alone).
    LC_ALL=C sed '/^\r\{0,1\}$/d' "$file" >"$actual"
    if cmp -s "$actual" "$expected"; then
        e2e_pass_check "$what"
    else
        echo "  --- expected non-blank lines"; sjis_show "$expected"
        echo "  --- actual file"; sjis_show "$file"
        diff <(xxd -c 16 "$expected") <(xxd -c 16 "$actual") | head -20 | sed 's/^/  /'
        e2e_fail "$what: lines differ"
    fi
    rm -f "$expected" "$actual"
}

# expect_absent "what" FILE...
expect_absent() {
    local what="$1"; shift
    local f
    for f in "$@"; do
        [ ! -e "$f" ] || e2e_fail "$what: $f exists"
    done
    e2e_pass_check "$what"
}

# e2e_send_message ARGS... — runs tools/send_message.c (built once for the
# program's machine) with ARGS: a message Windows or another program would
# send, which Wine does not send by itself.
e2e_send_message() {
    e2e_build_tool send_message "message sender" -municode -lshell32
    timeout 30 "$E2E_WINE" "$E2E_WORK/send_message.exe" "$@" 2>/dev/null
}

# e2e_build_tool NAME WHAT [FLAGS...] — builds tools/NAME.c once, for the same
# machine as the program under test, into $E2E_WORK/NAME.exe; skips the
# scenario where there is no compiler for it, fails it where the build fails.
e2e_build_tool() {
    local name="$1" what="$2" cc; shift 2
    [ -f "$E2E_WORK/$name.exe" ] && return 0
    case "$(e2e_pe_machine "$KEL_SCR")" in
        amd64) cc=x86_64-w64-mingw32-gcc ;;
        *) cc=i686-w64-mingw32-gcc ;;
    esac
    command -v "$cc" >/dev/null || e2e_skip "no $cc to build the $what"
    "$cc" -O1 -o "$E2E_WORK/$name.exe" "$E2E_LIB_DIR/tools/$name.c" "$@" \
        || e2e_fail "cannot build the $what"
}
