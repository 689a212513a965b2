#!/bin/bash
# What we test: the install and the package. `cmake --install` with a prefix
# writes only under it (the program stripped, the hack folder holding a link
# to it); the Debian package (scripts/build deb, or $KEL_DEB) is clean under
# lintian, installs, `kel --help` runs from the installed path, `man -l`
# shows the man page and so does `man kel` (what the settings page's
# Documentation button runs), the start errors are one line in Japanese under a
# Japanese locale and in English otherwise; and it is removed again,
# whatever happens.
# e2e-timeout: 400
. "$(dirname "$0")/../lib.sh"
E2E_T0=$(date +%s%N)
REPO="$(cd "$(dirname "$0")/../../../.." && pwd)"
[ "$(id -u)" = 0 ] || e2e_skip "installing a package needs root"
dpkg -s kel >/dev/null 2>&1 && e2e_fail "a kel package is installed already; not touched"
APT=(apt-get -o DPkg::Lock::Timeout=600 -y -q)
installed=0
cleanup() {
    local rc=$?
    if [ $installed = 1 ]; then "${APT[@]}" purge kel >"$E2E_WORK/purge.log" 2>&1 || rc=1; fi
    exit $rc
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The plain install, into a prefix of its own.
build="$(dirname "$KEL_BIN")"
prefix="$E2E_WORK/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_WORK/install.log" 2>&1 || e2e_fail "cmake --install failed: $(tail -3 "$E2E_WORK/install.log")"
outside=$(grep -E '^-- (Installing|Up-to-date): ' "$E2E_WORK/install.log" | sed -E 's/^-- [A-Za-z-]+: //; s/ -> .*//' | grep -v "^$prefix/")
[ -z "$outside" ] || e2e_fail "installed outside the prefix: $outside"
[ -L "$prefix/libexec/xscreensaver/kel" ] && [ "$(readlink -f "$prefix/libexec/xscreensaver/kel")" = "$prefix/bin/kel" ] \
    || e2e_fail "the hack folder holds no link to the program"
file -L "$prefix/bin/kel" | grep -q ', stripped' || e2e_fail "the installed program is not stripped: $(file -L "$prefix/bin/kel")"
for f in share/man/man6/kel.6.gz share/xscreensaver/config/kel.xml share/locale/ja/LC_MESSAGES/kel.mo; do
    [ -f "$prefix/$f" ] || e2e_fail "not installed: $f"
done
e2e_pass_check "cmake --install: $(grep -c '^-- ' "$E2E_WORK/install.log") files, all under the prefix, the program stripped, the hack a link"

# The package.
deb="${KEL_DEB:-}"
if [ -z "$deb" ]; then
    BUILD_ROOT="$E2E_WORK/build" DIST_DIR="$E2E_WORK/dist" "$REPO/scripts/build" deb >"$E2E_WORK/build.log" 2>&1 \
        || e2e_fail "scripts/build deb failed: $(tail -5 "$E2E_WORK/build.log")"
    deb=$(ls "$E2E_WORK"/dist/kel_*.deb)
fi
lintian --tag-display-limit 0 "$deb" >"$E2E_WORK/lintian.log" 2>&1 \
    || e2e_fail "lintian: $(grep -E '^[EW]: ' "$E2E_WORK/lintian.log" | head -5)"
! grep -E '^E: ' "$E2E_WORK/lintian.log" || e2e_fail "lintian reports errors"
grep -q '^Depends: .*libx11-6' <(dpkg-deb -f "$deb") || e2e_fail "no computed dependencies: $(dpkg-deb -f "$deb" Depends)"
e2e_pass_check "lintian: no errors ($(grep -c '^[WI]: ' "$E2E_WORK/lintian.log") warnings and notes)"

installed=1
"${APT[@]}" install "$deb" >"$E2E_WORK/apt.log" 2>&1 || e2e_fail "the package did not install: $(tail -3 "$E2E_WORK/apt.log")"
outside=$(dpkg -L kel | grep -vE '^/usr(/|$)|^/\.$')
[ -z "$outside" ] || e2e_fail "the package puts files outside /usr: $outside"
/usr/bin/kel --help >"$E2E_WORK/help.out" 2>&1; rc=$?
e2e_expect_eq "installed kel --help: exit status" "$rc" 0
grep -q '^usage: kel' "$E2E_WORK/help.out" || e2e_fail "kel --help printed: $(head -2 "$E2E_WORK/help.out")"
[ "$(readlink -f /usr/libexec/xscreensaver/kel)" = /usr/bin/kel ] || e2e_fail "the hack is no link to /usr/bin/kel"
MANPAGER=cat man -l /usr/share/man/man6/kel.6.gz >"$E2E_WORK/man.out" 2>&1 || e2e_fail "man -l kel.6 failed: $(head -3 "$E2E_WORK/man.out")"
col -b <"$E2E_WORK/man.out" | grep -q 'kel - Japanese sayings' || e2e_fail "man -l kel.6 shows: $(head -5 "$E2E_WORK/man.out")"
# The settings page's Documentation button asks man for the hack by name.
MANPAGER=cat man kel >"$E2E_WORK/man-name.out" 2>&1 || e2e_fail "man kel failed: $(head -3 "$E2E_WORK/man-name.out")"
col -b <"$E2E_WORK/man-name.out" | grep -q 'kel - Japanese sayings' || e2e_fail "man kel shows: $(head -5 "$E2E_WORK/man-name.out")"
e2e_pass_check "installed: kel --help, man -l kel.6 and man kel"

# A start error: one line, in the locale's language.
for case in "ja_JP.UTF-8:kel: X ディスプレイへの接続 (:99): X サーバーに接続できません" \
            "C.UTF-8:kel: opening the X display (:99): cannot connect to the X server"; do
    env -u LANGUAGE -u LC_MESSAGES LC_ALL="${case%%:*}" /usr/bin/kel -display :99 >"$E2E_WORK/err.out" 2>&1; rc=$?
    e2e_expect_eq "${case%%:*}: exit status" "$rc" 1
    e2e_expect_eq "${case%%:*}: the message" "$(cat "$E2E_WORK/err.out")" "${case#*:}"
done

"${APT[@]}" purge kel >"$E2E_WORK/purge.log" 2>&1 || e2e_fail "the package did not go: $(tail -3 "$E2E_WORK/purge.log")"
installed=0
[ ! -e /usr/bin/kel ] && [ ! -e /usr/libexec/xscreensaver/kel ] || e2e_fail "files left after purge"
e2e_pass_check "purged"
