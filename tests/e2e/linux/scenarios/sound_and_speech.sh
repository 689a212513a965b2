#!/bin/bash
# What we test: what kel plays, heard through a private sound server, in
# one-shot runs from saying 2: with sound, a clack as each title-card character
# comes on screen (within 30 ms; screen_probe's times), then the chime with the
# saying, nothing else; with speech (where the Japanese voice is installed), no
# cue but half a second or more of voice after the card, the run ending only
# after it, and a continuous run's voice cut by SIGTERM; sound off: silence;
# sound on without a server: silence, and the card keeps its 200 ms pace;
# two kel at once: one plays.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../../listen_lib.sh"
lx_begin
listen_begin "$E2E_WORK/pulse" || e2e_skip "no PulseAudio server here"
cc -O1 -o "$E2E_WORK/screen_probe" "$E2E_LIB_DIR/../bench/screen_probe.c" -lX11 || e2e_fail "no screen probe"
mkdir -p "$(dirname "$KEL_DAT")"
sjis_write "$KEL_DAT" "*** 音と声 ***" "一つ目" "二つ目の言葉" "三つ目"

# run NAME SOUND SPEAK — one one-shot run, heard and watched until a second
# after it ended (21 s at most: a voice started on a busy machine ends
# late); leaves NAME.heard (listen's lines) and NAME.seen (screen_probe's
# lines).
run() {
    sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=1" "[Mode]" "Sound=$2" "Speak=$3" \
        "OneShot=1" "[StartUp]" "Frase_No=2"
    listen_start 21 "$E2E_WORK/$1.heard"
    "$E2E_WORK/screen_probe" "$E2E_WORK/$1.seen" 20.5 &
    local probe=$!
    LX_PIDS+=($probe)
    lx_start "$1"
    lx_wait_exit "$1" 20 || e2e_fail "$1: the one-shot run did not end by itself"
    date +%s%3N >"$E2E_WORK/$1.ended"
    lx_expect_exit "$1" 0
    listen_stop 1
    kill "$probe" 2>/dev/null; wait "$probe" 2>/dev/null
    e2e_expect_eq "$1: the next index is written" "$(lx_frase_no)" 1
    # The card's characters: each change of the screen with something bright
    # but narrower than the saying, until the saying (wider than 300 pixels).
    # The probe may catch a repaint half done: changes within 100 ms are one.
    awk '$3 > 0 && $2 > 300 { print "saying", $1; exit } $3 > 0 && $1 - last > 100 { print "char", $1; last = $1 }' \
        "$E2E_WORK/$1.seen" >"$E2E_WORK/$1.card"
    grep -q '^saying' "$E2E_WORK/$1.card" || e2e_fail "$1: the saying never came on screen"
    paste <(awk '{ printf "%s %.0f\n", $1, $2 }' "$E2E_WORK/$1.card") \
        <(awk '$1 == "onset" { printf "%.0f\n", $2 }' "$E2E_WORK/$1.heard") >"$E2E_WORK/$1.pairs"
    e2e_log "$1: on screen / heard (ms): $(tr '\t\n' '/ ' <"$E2E_WORK/$1.pairs") $(grep -v onset "$E2E_WORK/$1.heard" | tr '\n' ' ')"
}

run sound 1 0
# The n-th onset with the n-th screen change, the chime with the saying.
awk '{ d = $3 - $2; printf "%.0f ", d; if ($3 == "" || d > 30 || d < -30) bad = 1 } END { exit bad }' \
    "$E2E_WORK/sound.pairs" >"$E2E_WORK/sound.offsets" || e2e_fail "sound: a cue more than 30 ms off its screen change (ms: $(cat "$E2E_WORK/sound.offsets"))"
e2e_expect_eq "sound: clacks, one per character" "$(grep -c '^char' "$E2E_WORK/sound.card")" 6
e2e_expect_eq "sound: sounds heard (six clacks and the chime)" "$(grep -c '^onset' "$E2E_WORK/sound.heard")" 7
e2e_pass_check "sound: each cue within 30 ms of its screen change (ms: $(cat "$E2E_WORK/sound.offsets"))"

if [ -x /usr/lib/speech-dispatcher-modules/sd_openjtalk ] && [ -d /usr/share/hts-voice/nitech-jp-atr503-m001 ]; then
    # A saying long enough to be spoken past the two-second hold.
    sjis_write "$KEL_DAT" "*** 音と声 ***" "一つ目" "二つ目の言葉はもう少し長くてゆっくり読まれます" "三つ目"
    run speech 1 1
    saying=$(awk '$1 == "saying" { printf "%.0f", $2 }' "$E2E_WORK/speech.card")
    awk -v s="$saying" '$1 == "onset" && $2 < s + 100 { exit 1 }' "$E2E_WORK/speech.heard" \
        || e2e_fail "speech: a sound before the voice could have started (a cue?)"
    read -r start end < <(awk -v s="$saying" '$1 == "span" && $2 > s && $3 - $2 >= 500 { printf "%.0f %.0f", $2, $3; exit }' \
        "$E2E_WORK/speech.heard")
    [ -n "$start" ] || e2e_fail "speech: no voice of at least 0.5 s after the card"
    e2e_pass_check "speech: voice from $((start - saying)) ms to $((end - saying)) ms after the saying came on screen"
    [ $((end - saying)) -gt 2500 ] || e2e_fail "speech: the voice ended within the hold; nothing to wait for"
    [ "$(cat "$E2E_WORK/speech.ended")" -ge "$end" ] || e2e_fail "speech: the run ended before its greeting did"
    e2e_pass_check "speech: the run ended after the greeting ($(( $(cat "$E2E_WORK/speech.ended") - end )) ms later)"

    # A continuous run ended by SIGTERM mid-saying: the voice ends with it.
    sjis_write "$KEL_INI" "[Mode]" "Sound=1" "Speak=1" "OneShot=0" "[StartUp]" "Frase_No=2"
    listen_start 14 "$E2E_WORK/term.heard"
    lx_start term
    wide() { import -window root "$E2E_SHOTS/term.png" 2>/dev/null; [ "$(img_bright_bbox "$E2E_SHOTS/term.png" | cut -d' ' -f1)" -gt 300 ]; }
    e2e_wait_until 12 wide 2>/dev/null || e2e_fail "term: the saying never came on screen"
    sleep 2
    killed=$(date +%s%3N); kill "${LX_PID[term]}"
    lx_wait_exit term 2 || e2e_fail "term: SIGTERM did not end the saver"
    lx_expect_exit term 143
    listen_stop 0.5
    read -r start end < <(awk -v k="$killed" '$1 == "span" && $2 < k && $3 > k - 100 { printf "%.0f %.0f", $2, $3 }' \
        "$E2E_WORK/term.heard")
    [ -n "$start" ] || e2e_fail "term: no voice heard when the signal came"
    [ $((end - killed)) -le 150 ] || e2e_fail "term: the voice went on $((end - killed)) ms after SIGTERM"
    e2e_pass_check "term: the voice stopped $((end - killed)) ms after SIGTERM"
else
    no_voice=1
fi

run quiet 0 0
e2e_expect_eq "sound off: the loudest sample heard" "$(awk '$1 == "peak" { print ($2 < 0.02) ? "silence" : $2 }' "$E2E_WORK/quiet.heard")" silence

PULSE_SERVER="unix:$E2E_WORK/no-server" run noserver 1 0
e2e_expect_eq "no server: the loudest sample heard" "$(awk '$1 == "peak" { print ($2 < 0.02) ? "silence" : $2 }' "$E2E_WORK/noserver.heard")" silence
awk '$1 == "char" { if (last && ($2 - last < 170 || $2 - last > 240)) bad = 1; last = $2 } END { exit bad }' \
    "$E2E_WORK/noserver.card" || e2e_fail "no server: the card lost its pace waiting for sound"
e2e_pass_check "no server: the card kept its pace"

# Two kel in one session (as under XScreenSaver, one per monitor): only one
# of them plays; the other never even connects to the sound server.
sjis_write "$KEL_INI" "[Mode]" "Sound=1" "Speak=0" "OneShot=0" "[StartUp]" "Frase_No=2"
lx_start first -root -sound cue
lx_start second -root -sound cue
lx_wait_shot pair card 10 >/dev/null || e2e_fail "pair: no title card"
sleep 1
clients=$(pactl list clients | grep -c 'application.process.binary = "kel"')
e2e_expect_eq "pair: kel processes connected to the sound server" "$clients" 1
for name in first second; do
    kill "${LX_PID[$name]}"
    lx_wait_exit "$name" 2 || e2e_fail "$name: SIGTERM did not end it"
    e2e_expect_eq "$name: ended by SIGTERM" "$(lx_exit_code "$name")" 143
done
# The sound checks ran; the speech checks did not.
[ -z "${no_voice:-}" ] || e2e_skip "no Japanese voice installed (sd_openjtalk, nitech-jp-atr503-m001): speech not heard"
