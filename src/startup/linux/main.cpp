// The Linux program's entry point: reads the command line, refuses a second
// standalone instance, then runs the saver. Errors that nothing else handles
// end here: one message on stderr, exit code 1, nothing written.
#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/messages_linux.h"
#include "platform/linux/process_linux.h"
#include "saver/x11/linux_seam.h"
#include "saver/wayland/wayland_host.h"
#include "saver/x11/saver_host.h"
#include "saver/x11/options.h"
#include "startup/linux/host_choice.h"

namespace {

// A standalone saver holds a lock on a file for its whole life; a second one
// finds it taken. The lock goes with the process however it ends. Where no
// lock can be had at all the saver runs: better twice than never.
bool AnotherInstanceRuns(const std::string& name) {
    const std::string dir = kel::posix::RuntimeDirectory();
    if (dir.empty()) return false;
    const int fd = open((dir + "/" + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return false;  // kept open until the end
    const bool taken = errno == EWOULDBLOCK;
    close(fd);
    return taken;
}

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const kel::HostChoice host = kel::TakeHostSwitches(args);
    const kel::x11::Options options = kel::x11::ParseOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (options.help) {
        std::fputs(kel::x11::kUsage, stdout);
        return 0;
    }
    // Under XScreenSaver one instance runs per monitor, each in its window.
    if (options.standalone && AnotherInstanceRuns(kel::x11::InstanceLockName(options.display))) return 0;
    if (kel::RunOnWayland(host, options.standalone, !options.display.empty())) {
        return kel::wayland::RunSaver(options);
    }
    return kel::x11::RunSaver(options);
}

}  // namespace

int main(int argc, char** argv) {
    // The title card's glyphs are rendered into buffers of hundreds of
    // kilobytes, one per character; from the heap they are reused, where
    // fresh mappings would be zeroed page by page for every character.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
    kel::posix::InitMessages(argv[0]);
    try {
        return Main(argc, argv);
    } catch (const kel::KelError& error) {
        kel::x11::ReportError(error);
    } catch (const std::exception& error) {
        kel::x11::ReportUnexpected(error.what());
    }
    return 1;
}
