#!/bin/bash
# What we test: a new cue cuts the last one off. The chime that comes with a
# saying is four seconds long, and the next tick's card begins about two
# seconds after it: its clacks must cut the chime off and be heard each on
# its own (an onset after a moment of quiet), not drowned under the chime.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../../listen_lib.sh"
lx_begin
listen_begin "$E2E_WORK/pulse" || e2e_fail "no PulseAudio server here"
cc -O1 -o "$E2E_WORK/screen_probe" "$E2E_LIB_DIR/../bench/screen_probe.c" -lX11 || e2e_fail "no screen probe"
mkdir -p "$(dirname "$KEL_DAT")"
sjis_write "$KEL_DAT" "*** 音 ***" "一つ目の言葉です" "二つ目"
sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=1" "Speak=0" \
    "OneShot=0" "[StartUp]" "Frase_No=2"

listen_start 15 "$E2E_WORK/heard"
"$E2E_WORK/screen_probe" "$E2E_WORK/seen" 14 &
probe=$!; LX_PIDS+=($probe)
lx_start saver
# The second saying (8 characters, wider than 500 pixels) ends the watch.
second() { awk '$3 > 0 && $2 > 500 { found = 1 } END { exit !found }' "$E2E_WORK/seen"; }
e2e_wait_until 14 second || e2e_fail "the second saying never came on screen"
sleep 0.3
kill -TERM "${LX_PID[saver]}"
lx_wait_exit saver 2 || e2e_fail "SIGTERM did not end the saver"
lx_expect_exit saver 143
listen_stop 0.2
kill "$probe" 2>/dev/null; wait "$probe" 2>/dev/null

# The second card: from its first character (after the first wide line, a
# narrow one) to the second saying.
read -r from to < <(awk '$3 == 0 { next }
    $2 > 150 && $2 <= 500 { wide = 1; next }
    wide && $2 <= 150 && !from { from = $1 }
    $2 > 500 { print from, $1; exit }' "$E2E_WORK/seen")
[ -n "$from" ] && [ -n "$to" ] || e2e_fail "cannot tell the second card on screen"
onsets=$(awk -v a="$from" -v b="$to" '$1 == "onset" && $2 > a + 100 && $2 < b - 50 { n++ } END { print n + 0 }' "$E2E_WORK/heard")
e2e_log "heard: $(tr '\n' ' ' <"$E2E_WORK/heard")"
# Eight clacks at 200 ms: the first cuts the chime with no quiet before it,
# the other seven each come after a quiet moment; under an uncut chime none.
[ "$onsets" -ge 6 ] || e2e_fail "clacks heard on their own during the second card: $onsets of 7 (the chime not cut off?)"
e2e_pass_check "the chime was cut off: $onsets of the 7 later clacks heard on their own"
