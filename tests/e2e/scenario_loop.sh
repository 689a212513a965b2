# The loop of the native e2e runners (tests/e2e/linux/run.sh and
# tests/e2e/wayland/run.sh), sourced by them:
#
#   e2e_run_scenarios SUITE DIR RUN_DIR RESULTS TIMEOUT [PATTERN...]
#
# runs DIR/*.sh (those whose names match a PATTERN, when given) one after
# the other, each in its own work folder under RUN_DIR with E2E_WORK set,
# within TIMEOUT seconds (or the scenario's own "# e2e-timeout: SECONDS"
# line); copies each log and screenshots to RESULTS; prints PASS/FAIL/SKIP
# SUITE/name per scenario and "N passed, N failed" at the end. Its status is
# 0 only when nothing failed and something passed.
e2e_run_scenarios() {
    local suite="$1" dir="$2" run_dir="$3" results="$4" timeout="$5"
    shift 5
    local passed=0 failed=0 skipped=0 f name hit p work t0 limit rc
    rm -rf "$results"; mkdir -p "$results"
    for f in "$dir"/*.sh; do
        name="$(basename "$f" .sh)"
        if [ $# -gt 0 ]; then
            hit=0; for p in "$@"; do echo "$name" | grep -qE -- "$p" && hit=1; done
            [ $hit -eq 1 ] || continue
        fi
        work="$run_dir/$name"; mkdir -p "$work"
        t0=$(date +%s)
        limit=$(sed -n 's/^# e2e-timeout: \([0-9][0-9]*\)$/\1/p' "$f" | head -1)
        E2E_WORK="$work" timeout -k 10 "${limit:-$timeout}" bash "$f" >"$work/log" 2>&1 </dev/null
        rc=$?
        # A scenario that passes must have checked something.
        if [ $rc -eq 0 ] && ! grep -q ' ok: ' "$work/log"; then
            echo "  FAIL: the scenario checked nothing" >>"$work/log"; rc=1
        fi
        mkdir -p "$results/$name"; cp -r "$work/log" "$results/$name/"
        [ -d "$work/shots" ] && cp -r "$work/shots" "$results/$name/"
        case $rc in
            0)  passed=$((passed + 1)); echo "PASS $suite/$name ($(( $(date +%s) - t0 )) s)" ;;
            77) skipped=$((skipped + 1)); echo "SKIP $suite/$name: $(grep -m1 'SKIP:' "$work/log" | sed 's/.*SKIP: //')" ;;
            *)  failed=$((failed + 1)); echo "FAIL $suite/$name (exit $rc)"; sed 's/^/    /' "$work/log" ;;
        esac
    done
    echo "e2e-$suite: logs and screenshots in $results"
    echo "$passed passed, $failed failed$([ $skipped -eq 0 ] || echo ", $skipped skipped")"
    # A run in which nothing passed tested nothing.
    [ $failed -eq 0 ] && [ $passed -gt 0 ]
}
