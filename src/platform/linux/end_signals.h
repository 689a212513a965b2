// SIGTERM (a daemon ending the saver), SIGINT and SIGHUP, for the saver's
// hosts: the handler only notes the signal and writes a byte into a pipe
// that the host's waits poll; the host then closes the saver as the system
// closing its window would, and the process ends by that signal.
#pragma once

namespace kel::posix {

// Installs the handlers; a KelError where no pipe can be had.
void CatchEndSignals();
// The pipe's reading end, for poll.
int EndSignalPipe();
// True (once) when a signal came since the last call.
bool EndSignalArrived();

}  // namespace kel::posix
