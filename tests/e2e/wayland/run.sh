#!/bin/bash
# Runs the Wayland scenarios (tests/e2e/wayland/scenarios/*.sh) against the
# native kel, each in its own headless sway (run as nobody: sway refuses
# root) and settings folder.
#
#   tests/e2e/wayland/run.sh [PATTERN...]
#
# Environment: KEL_BIN (default build/native/kel), E2E_RESULTS (default
# build/e2e-wayland-results), E2E_SCENARIO_TIMEOUT (default 120).
# Prints PASS/FAIL/SKIP per scenario and ends with "N passed, N failed".
set -uo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REPO="$(cd "$HERE/../../.." && pwd)"
export KEL_BIN="${KEL_BIN:-$REPO/build/native/kel}"
RESULTS="${E2E_RESULTS:-$REPO/build/e2e-wayland-results}"
TIMEOUT="${E2E_SCENARIO_TIMEOUT:-120}"
[ -x "$KEL_BIN" ] || { echo "e2e-wayland: no program at $KEL_BIN"; echo "0 passed, 1 failed"; exit 1; }
for tool in sway swaymsg grim wtype swayidle setpriv; do
    command -v $tool >/dev/null || { echo "e2e-wayland: $tool is missing (scripts/install-deps)"; echo "0 passed, 1 failed"; exit 1; }
done

# The scenarios' folders are reached by nobody, who runs sway and kel.
RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kel-e2e-wayland.XXXXXX")"
chmod 755 "$RUN_DIR"
trap 'rm -rf "$RUN_DIR"' EXIT
export E2E_BIN="$RUN_DIR/bin"
mkdir -p "$E2E_BIN"
cc -O1 -o "$E2E_BIN/hold_pointer" "$HERE/tools/hold_pointer.c" -lwayland-client \
    && cc -O1 -o "$E2E_BIN/bare_compositor" "$HERE/tools/bare_compositor.c" -lwayland-server \
    || { echo "e2e-wayland: cannot build the tools"; echo "0 passed, 1 failed"; exit 1; }

rm -rf "$RESULTS"; mkdir -p "$RESULTS"
passed=0; failed=0; skipped=0
for f in "$HERE"/scenarios/*.sh; do
    name="$(basename "$f" .sh)"
    if [ $# -gt 0 ]; then
        hit=0; for p in "$@"; do echo "$name" | grep -qE -- "$p" && hit=1; done
        [ $hit -eq 1 ] || continue
    fi
    work="$RUN_DIR/$name"; mkdir -p "$work"
    t0=$(date +%s)
    E2E_WORK="$work" timeout -k 10 "$TIMEOUT" bash "$f" >"$work/log" 2>&1 </dev/null
    rc=$?
    # A scenario that passes must have checked something.
    if [ $rc -eq 0 ] && ! grep -q ' ok: ' "$work/log"; then
        echo "  FAIL: the scenario checked nothing" >>"$work/log"; rc=1
    fi
    mkdir -p "$RESULTS/$name"; cp -r "$work/log" "$RESULTS/$name/"
    [ -d "$work/shots" ] && cp -r "$work/shots" "$RESULTS/$name/"
    case $rc in
        0)  passed=$((passed + 1)); echo "PASS wayland/$name ($(( $(date +%s) - t0 )) s)" ;;
        77) skipped=$((skipped + 1)); echo "SKIP wayland/$name: $(grep -m1 'SKIP:' "$work/log" | sed 's/.*SKIP: //')" ;;
        *)  failed=$((failed + 1)); echo "FAIL wayland/$name (exit $rc)"; sed 's/^/    /' "$work/log" ;;
    esac
done
echo "e2e-wayland: logs and screenshots in $RESULTS"
echo "$passed passed, $failed failed$([ $skipped -eq 0 ] || echo ", $skipped skipped")"
# A run in which nothing passed tested nothing.
[ $failed -eq 0 ] && [ $passed -gt 0 ]
