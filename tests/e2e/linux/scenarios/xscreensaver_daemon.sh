#!/bin/bash
# What we test: under the real XScreenSaver daemon (running as nobody, as it
# refuses root) `kel -root` in its programs list draws the title card in the
# daemon's window when activated, then the saying, and deactivation ends it with the close
# step: Frase_No written back, and the daemon logs no abnormal end.
. "$(dirname "$0")/../lib.sh"
lx_begin
command -v xscreensaver >/dev/null || e2e_skip "no xscreensaver (package xscreensaver)"
[ "$(id -u)" -eq 0 ] || e2e_skip "needs root to run the daemon as nobody"

H="$(mktemp -d "${TMPDIR:-/tmp}/kel-xss.XXXXXX")"
chmod 755 "$H"
mkdir -p "$H/bin"
cp "$KEL_BIN" "$H/bin/kel"
printf '%s\n' "mode: one" "selected: 0" "lock: False" "splash: False" "fade: False" \
    "unfade: False" "timeout: 0:30:00" "programs: kel -root" >"$H/.xscreensaver"
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
# The daemon's own kel (other programs of nobody's may run on this machine).
hack=$(for p in $(descendants "$DAEMON"); do [ "$(cat "/proc/$p/comm" 2>/dev/null)" = kel ] && echo "$p"; done | head -1)
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
# kel ends by the daemon's SIGTERM, so the daemon has nothing to complain of.
grep -iE "abnormal|crash" "$E2E_WORK/daemon.log" && e2e_fail "the daemon logged the hack's end as abnormal: $(grep -iE "abnormal|crash" "$E2E_WORK/daemon.log")"
e2e_pass_check "the daemon logged no abnormal end"
