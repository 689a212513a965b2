#!/bin/bash
# What we test: once the first saying has begun, a key ends the saver, and so
# does a one-pixel movement; in one-shot mode (from the settings or from
# -one-shot) keys and movements are ignored and the saver ends by itself
# after one saying, writing the next index; a wheel step is not a click; a
# phrase file in UTF-8 (with a byte-order mark) shows the same saying as the
# same file in Shift-JIS.
. "$(dirname "$0")/../lib.sh"
lx_begin

x_move 500 400
lx_settings 0 1 0 0 2
lx_start keyed
lx_wait_shot keyed-card card 10 >/dev/null || e2e_fail "no title card within 10 s"
xdotool click 4 click 5
sleep 0.3
lx_exited keyed && e2e_fail "a wheel step ended the saver"
x_key a
lx_wait_exit keyed 2 || e2e_fail "a key during the title card did not end the saver"
e2e_expect_eq "Frase_No after a key on saying 2" "$(lx_frase_no)" 2

lx_start moved
lx_wait_shot moved-card card 10 >/dev/null || e2e_fail "no title card within 10 s"
x_move 501 400
lx_wait_exit moved 2 || e2e_fail "a one-pixel movement did not end the saver"
e2e_expect_eq "Frase_No after a movement on saying 2" "$(lx_frase_no)" 2

for how in settings option; do
    if [ $how = settings ]; then lx_settings 0 1 0 1 2; lx_start "once-$how"
    else
        lx_settings 0 1 0 0 2
        { printf '\xEF\xBB\xBF'; printf '%s\r\n' "${LX_PHRASES[@]}"; } >"$KEL_DAT"
        lx_start "once-$how" -one-shot
    fi
    lx_wait_shot "once-$how" card 10 >/dev/null || e2e_fail "one-shot ($how): no title card"
    x_move 700 300; x_key a
    sleep 0.5
    lx_exited "once-$how" && e2e_fail "one-shot ($how): input ended the saver"
    lx_wait_shot "saying-$how" saying 10 >/dev/null || e2e_fail "one-shot ($how): no saying"
    lx_wait_exit "once-$how" 10 || e2e_fail "one-shot ($how): did not end by itself"
    e2e_expect_eq "one-shot ($how): exit code" "$(lx_exit_code "once-$how")" 0
    e2e_expect_eq "one-shot ($how): Frase_No, the next index" "$(lx_frase_no)" 1
done
e2e_expect_eq "pixels that differ between the Shift-JIS and the UTF-8 saying" \
    "$(compare -metric AE "$E2E_SHOTS/saying-settings.png" "$E2E_SHOTS/saying-option.png" null: 2>&1)" 0
