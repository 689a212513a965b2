#!/bin/bash
# Runs the end-to-end scenarios (tests/e2e/scenarios/*.sh) against the real
# program under Wine, each in its own process with its own copy of a Wine
# prefix booted once for this run and its own Xvfb display.
#
#   tests/e2e/run.sh [PATTERN...]
#
# PATTERN: a scenario name or part of one (grep -E); no pattern runs them all.
# Environment:
#   KEL_SCR              the program under test (default dist/kel.scr)
#   E2E_RESULTS          where logs and screenshots of each scenario are kept
#                        (default $BUILD_ROOT/e2e-results, BUILD_ROOT=build)
#   E2E_SCENARIO_TIMEOUT seconds one scenario may take in all (default 240)
#   E2E_KEEP=1           keep the run's temporary directory (prefixes included)
#   KEL_WINE             the wine loader to use instead of the automatic choice
#   E2E_SCENARIO_DIR     run the scenarios of another folder (default scenarios/)
#   E2E_JOBS             scenarios run at the same time (default 1)
#
# Prints PASS/FAIL/SKIP per scenario and ends with "N passed, N failed".
# Exit status: 0 when nothing failed and something passed.
set -uo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=lib.sh
. "$HERE/lib.sh"

REPO="$E2E_REPO"
BUILD_ROOT="${BUILD_ROOT:-$REPO/build}"
KEL_SCR="${KEL_SCR:-$REPO/dist/kel.scr}"
case "$KEL_SCR" in /*) ;; *) KEL_SCR="$PWD/$KEL_SCR" ;; esac
export KEL_SCR
E2E_RESULTS="${E2E_RESULTS:-$BUILD_ROOT/e2e-results}"
TIMEOUT="${E2E_SCENARIO_TIMEOUT:-240}"

if [ ! -f "$KEL_SCR" ]; then
    echo "e2e: no program at $KEL_SCR (run scripts/build first)" >&2
    echo "0 passed, 1 failed"
    exit 1
fi

# The scenarios to run, in name order.
SCENARIO_DIR="${E2E_SCENARIO_DIR:-$HERE/scenarios}"
mapfile -t all < <(ls "$SCENARIO_DIR"/*.sh 2>/dev/null | sort)
selected=()
for f in "${all[@]}"; do
    name="$(basename "$f" .sh)"
    if [ $# -eq 0 ]; then
        selected+=("$f")
    else
        for pat in "$@"; do
            if echo "$name" | grep -qE -- "$pat"; then selected+=("$f"); break; fi
        done
    fi
done
if [ ${#selected[@]} -eq 0 ]; then
    echo "e2e: no scenario matches: $*" >&2
    echo "0 passed, 1 failed"
    exit 1
fi

if ! e2e_choose_wine; then
    echo "0 passed, 1 failed"
    exit 1
fi

RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kel-e2e.XXXXXX")"
export E2E_RUN_DIR="$RUN_DIR"
export E2E_BIN="$RUN_DIR/bin"
export E2E_TEMPLATE="$RUN_DIR/template"

running_work=()
boot_dir="$RUN_DIR/boot"

# Whatever happens to this script, nothing it started stays behind.
cleanup_run() {
    local w j
    for j in $(jobs -p); do kill "$j" 2>/dev/null; wait "$j" 2>/dev/null; done
    for w in "${running_work[@]}"; do
        e2e_stop_wine "$w/prefix"
        e2e_stop_xvfb "$w"
    done
    e2e_stop_wine "$E2E_TEMPLATE"
    e2e_stop_xvfb "$boot_dir"
    if [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$RUN_DIR"; fi
}
trap cleanup_run EXIT
trap 'exit 1' INT TERM HUP

echo "e2e: program $KEL_SCR, route: $(e2e_route "$KEL_SCR"), loader $E2E_WINE"

mkdir -p "$E2E_BIN" "$boot_dir"
if ! cc -O1 -o "$E2E_BIN/cursor_probe" "$HERE/tools/cursor_probe.c" -lX11 -lXfixes; then
    echo "e2e: cannot build the pointer probe" >&2
    echo "0 passed, 1 failed"
    exit 1
fi

# One booted prefix for the whole run; every scenario copies it.
start_ns=$(e2e_now_ns)
if ! (e2e_start_xvfb "$boot_dir" && e2e_make_template "$E2E_TEMPLATE"); then
    echo "e2e: could not prepare the Wine prefix" >&2
    cat "$E2E_TEMPLATE.boot.log" 2>/dev/null | tail -20 >&2
    echo "0 passed, 1 failed"
    exit 1
fi
e2e_stop_wine "$E2E_TEMPLATE"
e2e_stop_xvfb "$boot_dir"
echo "e2e: Wine prefix booted in $(( $(e2e_ms_since "$start_ns") / 1000 )) s"

rm -rf "$E2E_RESULTS"
mkdir -p "$E2E_RESULTS"

# run_one NAME FILE — runs one scenario and keeps what it left; writes its
# outcome ("RC SECONDS") to $RUN_DIR/NAME.outcome last of all.
run_one() {
    local name="$1" f="$2" work="$RUN_DIR/$1" t0 rc secs data
    mkdir -p "$work"
    t0=$(e2e_now_ns)
    E2E_WORK="$work" E2E_NAME="$name" \
        timeout -k 10 "$TIMEOUT" bash "$f" >"$work/log" 2>&1 </dev/null
    rc=$?
    # Backstop for a scenario that was killed before its own trap ran.
    e2e_stop_wine "$work/prefix"
    e2e_stop_xvfb "$work"
    secs=$(( $(e2e_ms_since "$t0") / 1000 ))
    if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
        echo "  FAIL: the scenario took longer than ${TIMEOUT} s" >>"$work/log"
    fi
    # Keep the log and the screenshots; drop the prefix copy.
    mkdir -p "$E2E_RESULTS/$name"
    cp "$work/log" "$E2E_RESULTS/$name/log"
    if [ -d "$work/shots" ]; then cp -r "$work/shots" "$E2E_RESULTS/$name/"; fi
    for data in kel.ini kel.dat; do
        if [ -f "$work/prefix/drive_c/windows/$data" ]; then
            cp "$work/prefix/drive_c/windows/$data" "$E2E_RESULTS/$name/"
        fi
    done
    if [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$work"; fi
    echo "$rc $secs" >"$RUN_DIR/$name.outcome"
}

# report NAME — prints one finished scenario's line and counts it.
passed=0; failed=0; skipped=0
report() {
    local name="$1" rc secs
    read -r rc secs <"$RUN_DIR/$name.outcome"
    # A scenario that passes must have checked something.
    if [ "$rc" = 0 ] && ! grep -q ' ok: ' "$E2E_RESULTS/$name/log"; then
        echo "  FAIL: the scenario checked nothing" >>"$E2E_RESULTS/$name/log"
        rc=1
    fi
    case $rc in
        0)  passed=$((passed + 1)); echo "PASS $name (${secs} s)" ;;
        77) skipped=$((skipped + 1)); echo "SKIP $name: $(grep -m1 'SKIP:' "$E2E_RESULTS/$name/log" | sed 's/.*SKIP: //')" ;;
        *)  failed=$((failed + 1))
            echo "FAIL $name (${secs} s, exit $rc)"
            sed 's/^/    /' "$E2E_RESULTS/$name/log"
            ;;
    esac
}

# E2E_JOBS scenarios at a time (each with its own prefix and display); the
# lines come in name order all the same.
jobs_max="${E2E_JOBS:-1}"
names=()
for f in "${selected[@]}"; do names+=("$(basename "$f" .sh)"); done
declare -A job_of=()
next=0; shown=0
while [ $shown -lt ${#selected[@]} ]; do
    while [ $next -lt ${#selected[@]} ] && [ ${#job_of[@]} -lt "$jobs_max" ]; do
        run_one "${names[$next]}" "${selected[$next]}" &
        job_of[${names[$next]}]=$!
        running_work+=("$RUN_DIR/${names[$next]}")
        next=$((next + 1))
    done
    wait -n 2>/dev/null || true
    for n in "${!job_of[@]}"; do
        if ! kill -0 "${job_of[$n]}" 2>/dev/null; then wait "${job_of[$n]}" 2>/dev/null; unset "job_of[$n]"; fi
    done
    while [ $shown -lt $next ] && [ -f "$RUN_DIR/${names[$shown]}.outcome" ]; do
        report "${names[$shown]}"
        shown=$((shown + 1))
    done
done

echo "e2e: logs and screenshots in $E2E_RESULTS"
if [ $skipped -gt 0 ]; then
    echo "$passed passed, $failed failed, $skipped skipped"
else
    echo "$passed passed, $failed failed"
fi
# A run in which nothing passed tested nothing.
[ $failed -eq 0 ] && [ $passed -gt 0 ]
