#!/bin/bash
# What we test: the idle daemon's recipe from the README starts kel once the
# session is idle (a 2 s timeout here), kel shows its sayings, and the
# daemon's SIGTERM at the end of a session ends it with Frase_No written.
. "$(dirname "$0")/../lib.sh"
wl_begin
wl_settings 0 0 0 0 2
setpriv "${WL_AS[@]}" swayidle -w timeout 2 "$KEL_BIN" >"$E2E_WORK/swayidle.log" 2>&1 &
idle=$!
WL_PIDS+=($idle)
t0=$(date +%s%N)
# swayidle runs its command through sh: kel is the shell's child.
kel_pid() {
    local p
    for p in $(pgrep -P "$idle") $(pgrep -P "$(pgrep -P "$idle" | head -1)" 2>/dev/null); do
        [ "$(readlink "/proc/$p/exe")" = "$(readlink -f "$KEL_BIN")" ] && { KEL_PID=$p; return 0; }
    done
    return 1
}
e2e_wait_until 6 kel_pid || e2e_fail "swayidle did not start kel within 6 s (log: $(tail -3 "$E2E_WORK/swayidle.log"))"
ms=$(e2e_ms_since "$t0")
[ "$ms" -ge 1500 ] || e2e_fail "kel started after $ms ms, before the 2 s timeout"
e2e_pass_check "swayidle started kel after $ms ms of idleness"
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
card=$(wl_wait_shot card card 10) || e2e_fail "no title card within 10 s of the start"
expect_large_card "$(img_bright_bbox "$card")"
kill -0 "$idle" || e2e_fail "swayidle ended"
kill -TERM "$KEL_PID"
e2e_wait_until 2 e2e_not_alive "$KEL_PID" || e2e_fail "kel did not end on SIGTERM"
e2e_expect_eq "Frase_No after SIGTERM during saying 2's cards" "$(lx_frase_no)" 2
