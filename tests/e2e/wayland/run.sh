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

# shellcheck source=../scenario_loop.sh
. "$HERE/../scenario_loop.sh"
e2e_run_scenarios wayland "$HERE/scenarios" "$RUN_DIR" "$RESULTS" "$TIMEOUT" "$@"
