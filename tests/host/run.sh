#!/bin/bash
# Runs the host tests (kel_host_tests.exe, built with the win32 build) under
# Wine, by the same route as the end-to-end scenarios: a freshly booted
# prefix of its own, a private Xvfb (the GDI tests need a display), Wine set
# up as on a Japanese system.
#
#   tests/host/run.sh [NAME...]          NAME: part of "Group.Name" to run
#
# Where it runs as root it mounts a small tmpfs and maps it as drive S: for
# the disk-full tests; elsewhere those tests are skipped and say so.
# Environment: KEL_HOST_TESTS (default $BUILD_ROOT/win32/kel_host_tests.exe),
# KEL_HOST_PROGRAM (default the program built beside it).
# Ends with "N passed, N failed, N skipped"; exit status 0 when none failed
# and the tests' own exit status was 0 (some passed).
set -uo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../e2e/lib.sh
. "$HERE/../e2e/lib.sh"
BUILD_ROOT="${BUILD_ROOT:-$E2E_REPO/build}"
TESTS="${KEL_HOST_TESTS:-$BUILD_ROOT/win32/kel_host_tests.exe}"

fail_run() { echo "host: $*" >&2; echo "0 passed, 1 failed"; exit 1; }
[ -f "$TESTS" ] || fail_run "no host tests at $TESTS (scripts/build win32 makes them)"
export KEL_SCR="$TESTS"
e2e_choose_wine || fail_run "cannot run $TESTS here"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/kel-host.XXXXXX")"
SMALL="$WORK/small"
cleanup() {
    e2e_stop_wine "$WORK/prefix"
    if mountpoint -q "$SMALL" 2>/dev/null; then umount "$SMALL" || umount -l "$SMALL"; fi
    e2e_stop_xvfb "$WORK"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

echo "host: $TESTS, route: $(e2e_route "$TESTS"), loader $E2E_WINE"
e2e_wine_env
export WINEPREFIX="$WORK/prefix"
start_ns=$(e2e_now_ns)
e2e_start_xvfb "$WORK" || fail_run "no X display"
e2e_make_template "$WINEPREFIX" || fail_run "could not boot a Wine prefix"
echo "host: Wine prefix booted in $(( $(e2e_ms_since "$start_ns") / 1000 )) s"

# A drive of 512 KB for the disk-full tests.
unset KEL_HOST_SMALL_DRIVE
if [ "$(id -u)" = 0 ] && mkdir -p "$SMALL" && mount -t tmpfs -o size=512k,mode=0777 kel-host-small "$SMALL" 2>/dev/null; then
    ln -s "$SMALL" "$WINEPREFIX/dosdevices/s:"
    export KEL_HOST_SMALL_DRIVE='S:'
else
    echo "host: not root or no tmpfs: the disk-full tests are skipped"
fi

log="$WORK/log"
(cd "$(dirname "$TESTS")" && timeout -k 10 600 "$E2E_WINE" "$(basename "$TESTS")" "$@") 2>&1 \
    | tr -d '\r' | tee "$log" | grep -v -E '^[0-9]+ passed, [0-9]+ failed'
rc=${PIPESTATUS[0]}
line=$(grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped' "$log" | tail -1)
[ -n "$line" ] || fail_run "the host tests gave no result (exit status $rc)"
# The tests' own exit status counts too: 1 when any failed or none passed.
[ "$rc" = 0 ] || echo "host: the host tests ended with exit status $rc"
echo "$line"
[ "$rc" = 0 ] && [ "$(echo "$line" | sed -E 's/.* ([0-9]+) failed.*/\1/')" = 0 ]
