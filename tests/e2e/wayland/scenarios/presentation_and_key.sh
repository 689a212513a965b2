#!/bin/bash
# What we test: on a layer-shell compositor kel chooses the Wayland host by
# itself and covers the output; every title card is one large centred
# character (the first, and the cards after a saying drawn at 72 points and
# after one shrunk to fit), each saying is one line fitted to the width and
# centred; a key after the first tick ends the run and writes the index of
# the saying on screen.
. "$(dirname "$0")/../lib.sh"
wl_begin
wl_hold_input

# List order counts down from 3: cards of 田, 回 and 口, in that order; 田's
# saying fits at 72 points, 回's twenty characters must shrink.
wl_settings 0 0 0 0 3
sjis_write "$KEL_DAT" "${LX_PHRASES[@]}" "田田田田田"
wl_start run
wl_wait_covered 5 || e2e_fail "the output was not covered within 5 s"
seen=0; last=none; cards=()
deadline=$(( $(date +%s) + 25 ))
while [ ${#cards[@]} -lt 3 ] && [ "$(date +%s)" -lt "$deadline" ]; do
    f=$(wl_shot "shot$seen") || e2e_fail "grim failed"
    kind=$(lx_kind "$f")
    if [ "$kind" = card ] && [ "$last" != card ]; then cards+=("$f"); seen=$((seen + 1)); fi
    if [ "$kind" = saying ] && [ ${#cards[@]} -eq 2 ] && [ -z "${fitted:-}" ]; then
        fitted="$E2E_SHOTS/fitted.png"; cp "$f" "$fitted"
    fi
    [ "$kind" = blank ] || last=$kind
done
[ ${#cards[@]} -eq 3 ] || e2e_fail "saw ${#cards[@]} title card sequences within 25 s, expected 3"
for i in 0 1 2; do expect_large_card "$(img_bright_bbox "${cards[$i]}")"; done
[ -n "${fitted:-}" ] || e2e_fail "no saying seen after the second cards"
read -r w h _ <<<"$(img_bright_bbox "$fitted")"
[ "$w" -ge 900 ] && [ "$h" -le 120 ] || e2e_fail "the shrunk saying is not one line fitted to the width (box $w x $h)"
expect_centred_in "the whole saying, fitted" "$(img_bright_bbox "$fitted")" 0 0 1024 768 12

saying=$(wl_wait_shot saying saying 10) || e2e_fail "no saying after the third cards"
lx_exited run && e2e_fail "kel ended before any input"
for try in 1 2 3; do
    wl_as wtype a || e2e_fail "wtype failed"
    lx_wait_exit run 1 && break
done
wl_expect_end run 1 "a key"
e2e_expect_eq "Frase_No after a key on saying 1" "$(lx_frase_no)" 1
