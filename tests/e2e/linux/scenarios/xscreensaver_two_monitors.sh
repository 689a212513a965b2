#!/bin/bash
# What we test: the real XScreenSaver daemon on a display with two monitors
# (a nested Xephyr with two heads) runs one `kel -root -sound cue` per
# monitor; of the two, one plays: the private sound server sees a single kel
# client and hears the clacks, and both end by the daemon's SIGTERM with
# Frase_No written and no abnormal end in the daemon's log.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../../listen_lib.sh"
lx_begin
command -v xscreensaver >/dev/null || e2e_skip "no xscreensaver (package xscreensaver)"
command -v Xephyr >/dev/null || e2e_skip "no Xephyr (package xserver-xephyr)"
[ "$(id -u)" -eq 0 ] || e2e_skip "needs root to run the daemon as nobody"
listen_begin "$E2E_WORK/pulse" || e2e_skip "no PulseAudio server here"
# The daemon's kel runs as nobody and must reach the sound server's socket.
d="$E2E_WORK/pulse"; while [ "$d" != / ]; do chmod o+x "$d"; d=$(dirname "$d"); done
chmod o+rw "$E2E_WORK/pulse/sock"

Xephyr -displayfd 3 -screen 1024x768 -screen 800x600 +xinerama -br -nolisten tcp -noreset -ac \
    3>"$E2E_WORK/xephyr.display" >"$E2E_WORK/xephyr.log" 2>&1 &
LX_PIDS+=($!)
e2e_wait_until 20 grep -q '^[0-9][0-9]*$' "$E2E_WORK/xephyr.display" || e2e_fail "Xephyr did not start"
export DISPLAY=":$(head -1 "$E2E_WORK/xephyr.display")"

H="$(mktemp -d "${TMPDIR:-/tmp}/kel-xss2.XXXXXX")"
chmod 755 "$H"
mkdir -p "$H/bin"
cp "$KEL_BIN" "$H/bin/kel"
printf '%s\n' "mode: one" "selected: 0" "lock: False" "splash: False" "fade: False" \
    "unfade: False" "timeout: 0:30:00" 'programs: kel -root -sound cue \n' >"$H/.xscreensaver"
KEL_INI="$H/.config/kel/kel.ini" KEL_DAT="$H/.config/kel/kel.dat"
lx_settings 0 0 0 0 1
LC_ALL=C sed -i 's/^Frase_No=1/Frase_No=01/' "$KEL_INI"
chown -R nobody:nogroup "$H"

as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$H" DISPLAY="$DISPLAY" \
        XDG_CONFIG_HOME="$H/.config" XDG_RUNTIME_DIR="$H" PULSE_SERVER="$PULSE_SERVER" \
        PATH="$H/bin:/usr/bin:/bin" "$@"
}
as_nobody xscreensaver -no-splash -verbose >"$E2E_WORK/daemon.log" 2>&1 &
DAEMON=$!
LX_PIDS+=($DAEMON)
descendants() { local c; for c in $(pgrep -P "$1"); do echo "$c"; descendants "$c"; done; }
daemon_kels() { local p; for p in $(descendants "$DAEMON"); do [ "$(cat "/proc/$p/comm" 2>/dev/null)" = kel ] && echo "$p"; done; }
xss_end() {
    local rc=$? p
    for p in $(descendants "$DAEMON"); do LX_PIDS=("$p" "${LX_PIDS[@]}"); done
    rm -rf "$H"
    (exit $rc); listen_end; lx_end
}
trap xss_end EXIT
e2e_wait_until 15 eval 'as_nobody xscreensaver-command -time >/dev/null 2>&1' || e2e_fail "the daemon did not start"

listen_start 8 "$E2E_WORK/heard"
as_nobody xscreensaver-command -activate >/dev/null 2>&1
two() { [ "$(daemon_kels | wc -l)" -eq 2 ]; }
e2e_wait_until 10 two || { tail "$E2E_WORK/daemon.log"; e2e_fail "not one kel per monitor: $(daemon_kels | wc -l)"; }
e2e_pass_check "the daemon runs two kel, one per monitor"
sleep 4
clients=$(pactl list clients | grep -c 'application.process.binary = "kel"')
e2e_expect_eq "kel clients of the sound server" "$clients" 1
listen_wait
onsets=$(grep -c '^onset' "$E2E_WORK/heard")
[ "$onsets" -ge 2 ] || e2e_fail "the clacks were not heard (onsets: $onsets)"
e2e_pass_check "$onsets cues heard from the one kel that plays"

kels=$(daemon_kels)
as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
for p in $kels; do e2e_wait_until 5 e2e_not_alive "$p" || e2e_fail "deactivation did not end kel $p"; done
e2e_expect_eq "Frase_No written back" "$(sjis_read "$KEL_INI" | grep '^Frase_No=' | grep -c -v '=01$')" 1
sleep 1
if grep -Eiq 'abnormal|crash' "$E2E_WORK/daemon.log"; then
    grep -Ei 'abnormal|crash' "$E2E_WORK/daemon.log" | head -5
    e2e_fail "the daemon logged a hack ending abnormally"
fi
e2e_pass_check "the daemon logged no abnormal end"
