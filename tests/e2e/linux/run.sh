#!/bin/bash
# Runs the Linux scenarios (tests/e2e/linux/scenarios/*.sh) against the
# native kel, each in its own process, Xvfb and settings folder. No Wine.
#
#   tests/e2e/linux/run.sh [PATTERN...]
#
# Environment: KEL_BIN (default build/native/kel), E2E_RESULTS (default
# build/e2e-linux-results), E2E_SCENARIO_TIMEOUT (default 120).
# Prints PASS/FAIL/SKIP per scenario and ends with "N passed, N failed".
set -uo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REPO="$(cd "$HERE/../../.." && pwd)"
export KEL_BIN="${KEL_BIN:-$REPO/build/native/kel}"
RESULTS="${E2E_RESULTS:-$REPO/build/e2e-linux-results}"
TIMEOUT="${E2E_SCENARIO_TIMEOUT:-120}"
[ -x "$KEL_BIN" ] || { echo "e2e-linux: no program at $KEL_BIN"; echo "0 passed, 1 failed"; exit 1; }

RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kel-e2e-linux.XXXXXX")"
trap 'rm -rf "$RUN_DIR"' EXIT
export E2E_BIN="$RUN_DIR/bin"
mkdir -p "$E2E_BIN"
cc -O1 -o "$E2E_BIN/cursor_probe" "$HERE/../tools/cursor_probe.c" -lX11 -lXfixes \
    && cc -O1 -o "$E2E_BIN/plain_window" "$HERE/tools/plain_window.c" -lX11 \
    && cc -O2 -o "$E2E_BIN/bright_boxes" "$HERE/tools/bright_boxes.c" -lX11 \
    || { echo "e2e-linux: cannot build the probes"; echo "0 passed, 1 failed"; exit 1; }

# shellcheck source=../scenario_loop.sh
. "$HERE/../scenario_loop.sh"
e2e_run_scenarios linux "$HERE/scenarios" "$RUN_DIR" "$RESULTS" "$TIMEOUT" "$@"
