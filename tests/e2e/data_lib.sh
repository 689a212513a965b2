# Helpers shared by the data-file scenarios (tests/e2e/scenarios/data_*.sh).
# Source after lib.sh and e2e_begin.

# The default files as the saver must write them (lib.sh).
DATA_DEFAULT_PHRASES=("${KEL_DEFAULT_PHRASES[@]}")
DATA_DEFAULT_SETTINGS=("${KEL_DEFAULT_SETTINGS[@]}")

# data_build_probe — builds tests/e2e/tools/window_texts.c for the same
# machine as the program under test into $E2E_WORK/window_texts.exe.
data_build_probe() { e2e_build_tool window_texts "message box probe"; }

# data_report_texts [--close] — the texts of the program's message boxes,
# one per line; returns 1 when there is none.
data_report_texts() {
    timeout 20 "$E2E_WINE" "$E2E_WORK/window_texts.exe" "$@" 2>/dev/null
}

# data_outcome NAME SECONDS — waits until the instance either shows its
# saver window ("runs"), shows a message box ("reports", the texts in
# $E2E_WORK/NAME.report; "other" when not titled as ours) or ends; prints which, or
# "nothing" when the time ran out.
data_outcome() {
    local name="$1" seconds="$2"
    local deadline=$(( $(e2e_now_ns) + seconds * 1000000000 ))
    while [ "$(e2e_now_ns)" -lt "$deadline" ]; do
        if [ -n "$(x_windows Form1)" ]; then echo runs; return; fi
        if data_report_texts >"$E2E_WORK/$name.report"; then
            [ "$(head -1 "$E2E_WORK/$name.report")" = "kel 格言・迷言" ] && echo reports || echo other
            return
        fi
        if kel_exited "$name"; then echo ended; return; fi
        sleep 0.2
    done
    echo nothing
}

# data_report_has NAME TEXT... — every TEXT occurs in the report's texts.
data_report_has() {
    local name="$1"; shift
    local t
    for t in "$@"; do
        grep -qF -- "$t" "$E2E_WORK/$name.report" \
            || e2e_fail "$name: the report does not mention '$t': $(tr '\n' '|' <"$E2E_WORK/$name.report")"
    done
    e2e_pass_check "$name: the report names $*"
}

# data_close_report NAME — presses OK on the report; the program must then
# end within 15 s.
data_close_report() {
    data_report_texts --close >/dev/null || e2e_fail "$1: no report to close"
    kel_wait_exit "$1" 15 || e2e_fail "$1: still running 15 s after its report was closed"
    # A report ends the program with 1; anything else is a crash.
    kel_expect_exit "$1" 1
    e2e_pass_check "$1: ended after its report"
}

# data_write_journal OLD NEW JOURNAL — the journal a rewrite in place writes
# before touching a file that held OLD and is to hold NEW (both files):
# "kel-jrnl", version 1, the lengths and CRC-32s of both, the header's own
# CRC-32, the old bytes; numbers little-endian. The CRC-32s come from gzip's
# trailer, not from the program.
data_write_journal() {
    local old="$1" new="$2" journal="$3" head="$E2E_WORK/journal.head"
    le32() { local h; h=$(printf '%08x' "$1"); printf "\\x${h:6:2}\\x${h:4:2}\\x${h:2:2}\\x${h:0:2}"; }
    crc32() { gzip -c <"$1" | tail -c8 | head -c4; }
    { printf 'kel-jrnl'; le32 1; le32 "$(stat -c %s "$old")"; crc32 "$old"
      le32 "$(stat -c %s "$new")"; crc32 "$new"; } >"$head"
    { cat "$head"; crc32 "$head"; cat "$old"; } >"$journal"
}
