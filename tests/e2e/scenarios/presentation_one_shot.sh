#!/bin/bash
# What we test: in one-shot mode the saver shows one saying and ends by
# itself, writing the index of the next saying.
#  - list order from 3 writes 2; from 0 (the title line) it wraps to the last
#    line, 4;
#  - random order writes an index between 0 and 4, the same one on every run
#    (the sequence starts from the same state each time);
#  - an unknown ViewMode (9) writes the index it showed, unchanged.
# The time to the end is a whole tick: one second to the first tick, the
# title card (200 ms per character) and the wait phase of about two seconds.
. "$(dirname "$0")/../lib.sh"
e2e_begin

phrases=("*** 一回だけ ***" "一つ目" "二つ目" "三つ目" "四つ目")

# one_shot LABEL VIEWMODE START — runs the saver once; prints the Frase_No it
# wrote. Fails the scenario when it does not end by itself within 20 s.
one_shot() {
    local label="$1" view="$2" start="$3"
    sjis_write "$KEL_INI" "[View]" "ViewMode=$view" "FontMode=1" "[Mode]" "Sound=0" "Speak=0" \
        "OneShot=1" "[StartUp]" "Frase_No=$start" >&2
    sjis_write "$KEL_DAT" "${phrases[@]}" >&2
    x_move 700 100 >&2
    local t0; t0=$(e2e_now_ns)
    kel_start "$label" /s >&2
    x_wait_window Form1 20 >/dev/null || e2e_fail "$label: no Form1 window within 20 s"
    # Movement must not end a one-shot run: it ends by itself.
    x_move 720 140 >&2
    kel_wait_exit "$label" 20 || e2e_fail "$label: the one-shot run did not end by itself within 20 s"
    local ms; ms=$(e2e_ms_since "$t0")
    [ "$ms" -ge 2500 ] || e2e_fail "$label: ended after ${ms} ms, too soon for a whole tick"
    x_wait_no_window Form1 5 || e2e_fail "$label: the window stayed after the end"
    e2e_pass_check "$label: ended by itself after ${ms} ms" >&2
    sjis_read "$KEL_INI" | sed -n 's/^Frase_No=//p'
}

e2e_expect_eq "list order from 3 writes 2" "$(one_shot list 0 3)" 2
e2e_expect_eq "list order from the title line wraps to 4" "$(one_shot wrap 0 0)" 4

first=$(one_shot random-1 1 3)
case "$first" in
    [0-4]) e2e_pass_check "random order wrote $first, within 0..4" ;;
    *) e2e_fail "random order wrote '$first', not an index of the file" ;;
esac
e2e_expect_eq "random order writes the same index on a second run" "$(one_shot random-2 1 3)" "$first"

e2e_expect_eq "ViewMode 9 writes the shown index unchanged" "$(one_shot view-9 9 3)" 3
