#!/bin/bash
# What we test: the files beside kel.dat are the user's. An older kel.dat.old
# and a kel.dat.bak beside a newer kel.dat are byte-identical after a start
# and its end; a kel.dat torn by a save cut short is put back from its
# journal, which is then removed. As an unprivileged user (modes mean
# something): an unreadable kel.ini is reported (one message, exit code 1)
# and kept, not taken for the defaults; a missing kel.dat is written before
# that error shows, and nothing else.
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../../data_lib.sh"
lx_begin

lx_settings 1 0 0 0 1
cp "$KEL_DAT" "$E2E_WORK/good"
sjis_write "$KEL_DAT.old" "${LX_PHRASES[@]:0:2}"
printf 'mine\r\n' >"$KEL_DAT.bak"
keep() { for f in kel.dat kel.dat.old kel.dat.bak; do cp "$XDG_CONFIG_HOME/kel/$f" "$E2E_WORK/$f.$1"; done; }
kept() {
    for f in kel.dat kel.dat.old kel.dat.bak; do
        expect_same_bytes "$1: $f untouched" "$XDG_CONFIG_HOME/kel/$f" "$E2E_WORK/$f.$1"
    done
}
# run NAME — a start that shows its title card and ends on a click, exit 0.
run() {
    lx_start "$1"
    lx_wait_shot "$1" card 10 >/dev/null || e2e_fail "$1: no title card within 10 s"
    x_click 1
    lx_wait_exit "$1" 5 || e2e_fail "$1: a click did not end it"
    e2e_expect_eq "$1: exit code" "$(lx_exit_code "$1")" 0
}

keep users; run users; kept users

# A save in place cut short: kel.dat torn, its journal whole.
cp "$E2E_WORK/good" "$E2E_WORK/new"; printf 'more\r\n' >>"$E2E_WORK/new"
data_write_journal "$E2E_WORK/good" "$E2E_WORK/new" "$KEL_DAT.kel-journal"
head -c 30 "$E2E_WORK/good" >"$KEL_DAT"
run torn
expect_same_bytes "torn: kel.dat put back" "$KEL_DAT" "$E2E_WORK/good"
expect_absent "torn: the journal removed" "$KEL_DAT.kel-journal"
expect_same_bytes "torn: kel.dat.old untouched" "$KEL_DAT.old" "$E2E_WORK/kel.dat.old.users"

[ "$(id -u)" -eq 0 ] || e2e_skip "needs root to start kel as nobody"
# A folder nobody can reach (the scenario's own is root's alone), removed at the end.
H="$(mktemp -d "${TMPDIR:-/tmp}/kel-owned.XXXXXX")"
trap 'rc=$?; rm -rf "$H"; (exit $rc); lx_end' EXIT
mkdir -p "$H/kel" "$H/bin"
cp "$KEL_BIN" "$H/bin/kel"    # wherever the build lies, nobody can run this copy
cp "$KEL_INI" "$H/kel/kel.ini"; cp "$H/kel/kel.ini" "$E2E_WORK/ini.before"
chmod 755 "$H"; chown -R nobody:nogroup "$H"; chmod 000 "$H/kel/kel.ini"
xhost + >/dev/null
timeout -k 5 20 setpriv --reuid=nobody --regid=nogroup --clear-groups env XDG_CONFIG_HOME="$H" \
    XDG_RUNTIME_DIR="$H" DISPLAY="$DISPLAY" "$H/bin/kel" 2>"$E2E_WORK/nobody.err"
rc=$?
chmod 600 "$H/kel/kel.ini"
e2e_expect_eq "unreadable kel.ini: exit code" "$rc" 1
e2e_expect_eq "unreadable kel.ini: the message" "$(head -c 4 "$E2E_WORK/nobody.err")" "kel:"
grep -qF "$H/kel/kel.ini" "$E2E_WORK/nobody.err" || e2e_fail "the message does not name kel.ini: $(cat "$E2E_WORK/nobody.err")"
expect_same_bytes "unreadable kel.ini: kept" "$H/kel/kel.ini" "$E2E_WORK/ini.before"
sjis_write "$E2E_WORK/default.dat" "${KEL_DEFAULT_PHRASES[@]}"
expect_same_bytes "unreadable kel.ini: the missing kel.dat written first" "$H/kel/kel.dat" "$E2E_WORK/default.dat"
e2e_expect_eq "unreadable kel.ini: nothing else written" "$(ls -A "$H/kel" | tr '\n' ' ')" "kel.dat kel.ini "
