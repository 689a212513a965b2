#include "platform/linux/end_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"
#include "platform/linux/process_linux.h"

namespace kel::posix {

namespace {

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;  // spares a read of the pipe at every pump

extern "C" void OnEndSignal(int signalNumber) {
    NoteEndSignal(signalNumber);  // the process ends by it after the close step
    signalled = 1;
    const int saved = errno;
    const char byte = 1;
    if (write(signalPipe[1], &byte, 1) < 0) {
        // full pipe: a close is already on its way
    }
    errno = saved;
}

}  // namespace

void CatchEndSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw KelError(ErrorKind::Io, "preparing for the end of the saver", "a pipe for signals");
    }
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

int EndSignalPipe() { return signalPipe[0]; }

bool WaitForSignalOr(int connection, std::chrono::steady_clock::time_point deadline) {
    pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {connection, POLLIN, 0}};
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return false;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const int ready = poll(fds, connection < 0 ? 1 : 2, static_cast<int>(std::min<long long>(ms, 1 << 30)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

bool EndSignalArrived() {
    if (!signalled) return false;
    char bytes[16];
    bool any = false;
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) any = true;
    return any;
}

}  // namespace kel::posix
