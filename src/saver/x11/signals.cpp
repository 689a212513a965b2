// X errors, process-wide: they are noted, and a lost display ends the run.
#include <X11/Xlib.h>
#include <unistd.h>

#include "saver/x11/host.h"

namespace kel::x11 {

int lastXError = 0;

namespace {

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

void HandleXErrors(void (*onLostDisplay)()) {
    closeOnLostDisplay = onLostDisplay;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIoError);
}

}  // namespace kel::x11
