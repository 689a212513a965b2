#!/bin/bash
# What we test: with the large display size (FontMode 0) the title card's
# characters are fitted to the screen height: one character nearly as tall
# as the 768-pixel screen but not taller, centred; the whole saying that
# follows still starts at 72 points and is far smaller.
. "$(dirname "$0")/../lib.sh"
e2e_begin

sjis_write "$KEL_INI" "[View]" "ViewMode=0" "FontMode=0" "[Mode]" "Sound=0" "Speak=0" \
    "OneShot=1" "[StartUp]" "Frase_No=1"
sjis_write "$KEL_DAT" "*** 大きな札 ***" "山川草木花鳥"

x_move 1000 20
kel_start saver /s
x_wait_window Form1 20 >/dev/null || e2e_fail "no Form1 window within 20 s"

# Screenshots until the one-shot run ends by itself; sorted afterwards.
shots=()
deadline=$(( $(date +%s) + 30 ))
i=0
while kel_running saver && [ "$(date +%s)" -lt "$deadline" ]; do
    i=$((i + 1))
    shot=$(x_screenshot "large-$i") || break
    shots+=("$shot")
    kel_loaded_dlls saver >>"$E2E_WORK/dlls"
done
kel_wait_exit saver 10 || e2e_fail "the one-shot run did not end by itself"
e2e_log "took $i screenshots"

card="" saying=""
for shot in "${shots[@]}"; do
    box=$(img_bright_bbox "$shot")
    [ -n "$box" ] || continue
    read -r w h x y <<<"$box"
    if [ "$h" -gt 300 ] && [ -z "$card" ]; then card="$box"; fi
    if [ "$w" -gt 300 ] && [ "$h" -lt 150 ]; then saying="$box"; fi
done
[ -n "$card" ] || e2e_fail "never saw a large title card"
expect_large_card "$card"
[ -n "$saying" ] || e2e_fail "never saw the whole saying at its own size"
e2e_pass_check "saying: back at 72 points and below (box $saying)"

# Without sound and speech neither the sound library nor OLE Automation is
# loaded, not even for the title card's pauses.
grep -qx user32.dll "$E2E_WORK/dlls" || e2e_fail "cannot read the saver's DLLs"
for dll in winmm.dll oleaut32.dll; do
    ! grep -qx "$dll" "$E2E_WORK/dlls" || e2e_fail "$dll was loaded without sound or speech"
done
e2e_pass_check "no winmm or oleaut32 in a run without sound or speech"
