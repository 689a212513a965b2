// Signals and X errors, process-wide: a signal becomes a byte in a pipe that
// the saver's waits poll; X errors are noted, a lost display ends the run.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/linux/process_linux.h"
#include "saver/x11/host.h"

namespace kel::x11 {

int lastXError = 0;

namespace {

// SIGTERM (the daemon ending its hack), SIGINT and SIGHUP only write a byte
// here; the loop, or whatever wait runs at the time, sees it in its poll and
// closes the saver as the system closing its window would.
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;  // spares a read of the pipe at every pump

extern "C" void OnSignal(int signalNumber) {
    posix::NoteEndSignal(signalNumber);  // the process ends by it after the close step
    signalled = 1;
    const int saved = errno;
    const char byte = 1;
    if (write(signalPipe[1], &byte, 1) < 0) {
        // full pipe: a close is already on its way
    }
    errno = saved;
}

// Requests on a window that went away under us (the daemon's window at the
// end, a focus refused) are not the saver's failures: they are noted and the
// saver goes on. Xlib's default would end the program with its own message.
int OnXError(Display*, XErrorEvent* error) {
    lastXError = error->error_code;
    return 0;
}

// The connection is gone (the display closed, the session ended): the same
// close step as for a signal, then the end.
void (*closeOnLostDisplay)() = nullptr;
int OnXIoError(Display*) {
    if (closeOnLostDisplay != nullptr) closeOnLostDisplay();
    _exit(0);
}

}  // namespace

void CatchSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw KelError(ErrorKind::Io, "preparing for the end of the saver", "a pipe for signals");
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

bool SignalArrived() {
    if (!signalled) return false;
    char bytes[16];
    bool any = false;
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) any = true;
    return any;
}

int SignalPipe() { return signalPipe[0]; }

void HandleXErrors(void (*onLostDisplay)()) {
    closeOnLostDisplay = onLostDisplay;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIoError);
}

}  // namespace kel::x11
