// The host tests' runner. Runs every test (or those whose "Group.Name"
// contains one of the arguments), prints one line per test and ends with
// "N passed, N failed, N skipped"; the exit status is 1 when any failed or
// none passed.
//
// One mode of its own serves the save-fault tests, which need a process
// that dies in the middle of a save:
//
//   kel_host_tests.exe --die-while-saving PATH CALL BYTES SIZE [refuse]
//
// saves SIZE bytes over PATH through the real Win32Files and ends the
// process at once (TerminateProcess, nothing cleaned up) in its CALL-th
// write once BYTES of it are written, or with CALL 0 when it closes the file
// it rewrote in place ("refuse": renames refused, so rewritten in place).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "check.h"
#include "host_support.h"

namespace check {

namespace {
struct Entry {
    std::string name;
    std::function<::testing::Test*()> make;
};
std::vector<Entry>& Registry() {
    static std::vector<Entry> entries;
    return entries;
}
std::string skipReason;
}  // namespace

Current& Now() {
    static Current current;
    return current;
}

bool Register(const char* group, const char* name, std::function<::testing::Test*()> make) {
    Registry().push_back({std::string(group) + "." + name, std::move(make)});
    return true;
}

void Report(const char* file, int line, const std::string& what, const std::string& message) {
    Now().failed = true;
    std::printf("%s:%d: %s\n", file, line, what.c_str());
    if (!message.empty()) std::printf("    %s\n", message.c_str());
    for (auto it = Now().traces.rbegin(); it != Now().traces.rend(); ++it) {
        std::printf("    while: %s\n", it->c_str());
    }
}

void Skip::operator=(const Message& message) const {
    Now().skipped = true;
    skipReason = message.text.str();
}

}  // namespace check

int main(int argc, char** argv) {
    if (argc >= 6 && std::strcmp(argv[1], "--die-while-saving") == 0) {
        return kel::host::DieWhileSaving(argv[2], std::atoi(argv[3]),
                                         std::strtoul(argv[4], nullptr, 10),
                                         std::strtoul(argv[5], nullptr, 10), argc > 6);
    }
    // No error boxes from the system (a missing drive, a failed load).
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    int passed = 0, failed = 0, skipped = 0;
    for (const auto& entry : check::Registry()) {
        bool chosen = argc < 2;
        for (int i = 1; i < argc; ++i) chosen = chosen || entry.name.find(argv[i]) != std::string::npos;
        if (!chosen) continue;
        check::Now() = check::Current{};
        check::skipReason.clear();
        const DWORD start = ::GetTickCount();
        try {
            std::unique_ptr<::testing::Test> test(entry.make());
            test->SetUp();
            if (!check::Now().skipped && !check::Now().failed) test->TestBody();
            test->TearDown();
        } catch (const std::exception& e) {
            check::Report(__FILE__, __LINE__, "unexpected exception", e.what());
        } catch (...) {
            check::Report(__FILE__, __LINE__, "unexpected exception", "");
        }
        const DWORD ms = ::GetTickCount() - start;
        if (!check::Now().failed && !check::Now().skipped && check::Now().checks == 0) {
            check::Report(__FILE__, __LINE__, "the test checked nothing", "");
        }
        if (check::Now().failed) {
            ++failed;
            std::printf("FAIL %s (%lu ms)\n", entry.name.c_str(), ms);
        } else if (check::Now().skipped) {
            ++skipped;
            std::printf("SKIP %s: %s\n", entry.name.c_str(), check::skipReason.c_str());
        } else {
            ++passed;
            std::printf("PASS %s (%lu ms)\n", entry.name.c_str(), ms);
        }
    }
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    // A run in which nothing passed tested nothing: that is a failure too.
    return failed == 0 && passed > 0 ? 0 : 1;
}
