#!/bin/bash
# What we test: under the real XScreenSaver daemon (running as nobody, as it
# refuses root) `kel -root` in its programs list draws the title card in the
# daemon's window when activated, then the saying, and deactivation ends it with the close
# step: Frase_No written back. `kel -root -one-shot` shows its saying, then
# holds the blank window until deactivated. A standalone kel never stands in
# the daemon's way: `xscreensaver-command -lock` locks within 5 s and ends it,
# and one started while locked ends at once without a window. The daemon
# logs no hack as crashed or ended abnormally.
. "$(dirname "$0")/../lib.sh"
lx_begin
command -v xscreensaver >/dev/null || e2e_skip "no xscreensaver (package xscreensaver)"
[ "$(id -u)" -eq 0 ] || e2e_skip "needs root to run the daemon as nobody"

H="$(mktemp -d "${TMPDIR:-/tmp}/kel-xss.XXXXXX")"
chmod 755 "$H"
mkdir -p "$H/bin"
cp "$KEL_BIN" "$H/bin/kel"
printf '%s\n' "mode: one" "selected: 0" "lock: False" "splash: False" "fade: False" \
    "unfade: False" "timeout: 0:30:00" 'programs: kel -root \n\' '  kel -root -one-shot \n' \
    >"$H/.xscreensaver"
KEL_INI="$H/.config/kel/kel.ini" KEL_DAT="$H/.config/kel/kel.dat"
lx_settings 0 0 0 0 1
# Read as 1, written back as "1": the bytes show that the close step ran.
LC_ALL=C sed -i 's/^Frase_No=1/Frase_No=01/' "$KEL_INI"
chown -R nobody:nogroup "$H"
xhost + >/dev/null

as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$H" DISPLAY="$DISPLAY" \
        XDG_CONFIG_HOME="$H/.config" PATH="$H/bin:/usr/bin:/bin" "$@"
}
as_nobody xscreensaver -no-splash -verbose >"$E2E_WORK/daemon.log" 2>&1 &
DAEMON=$!
LX_PIDS+=($DAEMON)
# Whatever the daemon started goes with it, after it.
descendants() { local c; for c in $(pgrep -P "$1"); do echo "$c"; descendants "$c"; done; }
xss_end() {
    local rc=$? p
    for p in $(descendants "$DAEMON"); do LX_PIDS=("$p" "${LX_PIDS[@]}"); done
    rm -rf "$H"
    (exit $rc); lx_end
}
trap xss_end EXIT
e2e_wait_until 15 eval 'as_nobody xscreensaver-command -time >/dev/null 2>&1' || e2e_fail "the daemon did not start"
as_nobody xscreensaver-command -activate >/dev/null 2>&1
card=$(lx_wait_shot card card 15) || { cat "$E2E_WORK/daemon.log"; e2e_fail "no title card within 15 s"; }
expect_large_card "$(img_bright_bbox "$card")"
# The daemon's kel: among its descendants (other users of the machine may
# run a kel of their own).
daemon_kel() { local p; for p in $(descendants "$DAEMON"); do [ "$(ps -o comm= -p "$p")" = kel ] && echo "$p"; done | head -1; }
hack=$(daemon_kel)
[ -n "$hack" ] || e2e_fail "no kel process of the daemon's"
e2e_log "the daemon's hack: $(ps -o args= -p "$hack")"
saying=$(lx_wait_shot saying saying 10) || e2e_fail "no saying within 10 s of the card"
expect_centred_in "the saying" "$(img_bright_bbox "$saying")" 0 0 1024 768 12
# A cycle ends the hack with SIGTERM and starts it again; the daemon, still
# running, looks at how it ended.
as_nobody xscreensaver-command -cycle >/dev/null 2>&1
e2e_wait_until 5 e2e_not_alive "$hack" || e2e_fail "a cycle did not end kel"
e2e_wait_until 5 eval '[ "$(grep -c "forked \"kel" "$E2E_WORK/daemon.log")" -ge 2 ]' \
    || e2e_fail "the daemon did not start kel again: $(grep -i kel "$E2E_WORK/daemon.log" | tr '\n' ' ')"
hack=$(for p in $(descendants "$DAEMON"); do [ "$(cat "/proc/$p/comm" 2>/dev/null)" = kel ] && echo "$p"; done | head -1)
as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
e2e_wait_until 5 e2e_not_alive "$hack" || e2e_fail "deactivation did not end kel"
e2e_expect_eq "Frase_No line after deactivation" "$(sjis_read "$KEL_INI" | grep '^Frase_No=')" "Frase_No=1"

# One-shot: the saying, then the blank window, held until deactivation.
as_nobody xscreensaver-command -select 2 >/dev/null 2>&1
lx_wait_shot oneshot saying 15 >/dev/null || e2e_fail "no saying of the one-shot hack within 15 s"
hack=$(daemon_kel)
[ -n "$hack" ] || e2e_fail "no one-shot kel process of the daemon's"
e2e_log "the daemon's hack: $(ps -o args= -p "$hack")"
blank=$(lx_wait_shot held blank 10) || e2e_fail "the one-shot saying did not go"
sleep 5
kill -0 "$hack" 2>/dev/null || e2e_fail "the one-shot hack ended by itself"
[ "$(lx_kind "$(x_screenshot held-later)")" = blank ] || e2e_fail "the held window is not blank"
e2e_pass_check "one-shot: the saying, then the blank window held for 5 s and more"
as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
e2e_wait_until 5 e2e_not_alive "$hack" || e2e_fail "deactivation did not end the one-shot kel"

# A standalone kel, then the lock: the daemon gets the screen within 5 s.
# (Last: the daemon, as nobody, cannot be unlocked.)
lx_start cover -sound off
x_wait_window Form1 10 >/dev/null || e2e_fail "no standalone window within 10 s"
sleep 1
# The status's first value: 0 while not blanked, else the atom LOCK or BLANK.
locked() {
    local first
    first=$(xprop -root _SCREENSAVER_STATUS 2>/dev/null | sed -n 's/.*= \([0-9]*\),.*/\1/p')
    [ -n "$first" ] && [ "$first" != 0 ]
}
t0=$(e2e_now_ns)
as_nobody xscreensaver-command -lock >"$E2E_WORK/lock.out" 2>&1 || e2e_fail "-lock refused: $(cat "$E2E_WORK/lock.out")"
e2e_wait_until 5 locked || { tail "$E2E_WORK/daemon.log"; e2e_fail "the daemon did not lock within 5 s"; }
e2e_pass_check "locked $(e2e_ms_since "$t0") ms after -lock with a standalone kel running"
lx_wait_exit cover 5 || e2e_fail "the standalone kel stayed over the locked screen"
e2e_expect_eq "standalone kel's exit code at the lock" "$(lx_exit_code cover)" 0
x_wait_no_window Form1 2 || e2e_fail "the standalone kel's window is still shown"
lx_start late -sound off
lx_wait_exit late 3 || e2e_fail "a kel started while locked did not end at once"
e2e_expect_eq "exit code of a kel started while locked" "$(lx_exit_code late)" 0
[ -z "$(x_windows Form1)" ] || e2e_fail "a kel started while locked showed its window"
e2e_pass_check "a kel started while locked ended at once without covering the screen"

# The daemon notes its hacks' ends as it reaps them.
sleep 2
grep -Ei 'kel|child|hack' "$E2E_WORK/daemon.log" | sed 's/^/    daemon: /'
if grep -Eiq 'abnormal|crash' "$E2E_WORK/daemon.log"; then
    grep -Ei 'abnormal|crash' "$E2E_WORK/daemon.log" | head -5
    e2e_fail "the daemon logged a hack ending abnormally"
fi
e2e_pass_check "the daemon logged no abnormal end of a hack"
