#!/bin/bash
# What we test: the single-instance check counts a mutex it may not open as
# another instance running. A probe holds the program's mutex with a security
# descriptor that grants nobody access (as an instance in another security
# context would); a start of the saver then ends at once and shows no window.
. "$(dirname "$0")/../lib.sh"
e2e_begin

case "$(e2e_pe_machine "$KEL_SCR")" in
    amd64) cxx=x86_64-w64-mingw32-g++ ;;
    *) cxx=i686-w64-mingw32-g++ ;;
esac
command -v "$cxx" >/dev/null || e2e_skip "no $cxx to build the mutex probe"
# The probe names the mutex with the program's own rule (startup/instance.cpp).
cat >"$E2E_WORK/hold_mutex.cpp" <<'CPP'
#include <windows.h>
#include <cstdio>
#include <string>
#include "startup/instance.h"
int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    std::wstring path = argv[1];
    ::CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    const std::u16string n = kel::InstanceMutexName(std::u16string(path.begin(), path.end()));
    const std::wstring name(n.begin(), n.end());
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;  // present and empty: no access for anybody
    ::InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    if (::CreateMutexW(&sa, FALSE, name.c_str()) == nullptr) {
        std::printf("failed %lu\n", ::GetLastError());
        return 1;
    }
    const HANDLE again = ::CreateMutexW(nullptr, FALSE, name.c_str());
    std::printf("held %s %lu\n", again ? "granted" : "denied", ::GetLastError());
    std::fflush(stdout);
    ::Sleep(INFINITE);
    return 0;
}
CPP
"$cxx" -std=c++17 -O1 -municode -static -I "$E2E_REPO/src" -o "$E2E_WORK/hold_mutex.exe" \
    "$E2E_WORK/hold_mutex.cpp" "$E2E_REPO/src/startup/instance.cpp" \
    || e2e_fail "cannot build the mutex probe"

"$E2E_WINE" "$E2E_WORK/hold_mutex.exe" 'c:\kel\kel.scr' >"$E2E_WORK/probe.out" 2>&1 &
e2e_wait_until 30 grep -q '^held\|^failed' "$E2E_WORK/probe.out" \
    || e2e_fail "the probe did not take the mutex within 30 s"
probe=$(head -1 "$E2E_WORK/probe.out")
case "$probe" in
    "held denied 5"*) e2e_pass_check "the probe holds the mutex; opening it is denied" ;;
    "held granted"*) e2e_skip "this Wine grants access to a mutex whose DACL is empty" ;;
    *) e2e_fail "the probe: $probe" ;;
esac

x_move 512 150
kel_start saver /s
kel_wait_exit saver 15 || e2e_fail "the saver still runs 15 s after its start"
kel_expect_exit saver 0
e2e_expect_eq "Form1 windows" "$(x_window_count Form1)" 0
e2e_pass_check "the saver ended at once"
