#!/bin/bash
# What we test: when the compositor goes away under kel (the session ends),
# kel writes the index of the saying on screen and ends with exit code 0.
. "$(dirname "$0")/../lib.sh"
wl_begin
wl_settings 0 0 0 0 0
wl_start run
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
wl_wait_shot card card 10 >/dev/null || e2e_fail "no title card within 10 s"
kill -TERM "$WL_SWAY"
wait "$WL_SWAY"
e2e_log "sway ended with $?"
WL_SWAY=""
wl_expect_end run 3 "the compositor gone"
e2e_expect_eq "Frase_No after the compositor went during saying 2's cards" "$(lx_frase_no)" 2
