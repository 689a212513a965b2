// SIGTERM (a daemon ending the saver), SIGINT and SIGHUP, for the saver's
// hosts: the handler only notes the signal and writes a byte into a pipe
// that the host's waits poll; the host then closes the saver as the system
// closing its window would, and the process ends by that signal.
#pragma once

#include <chrono>

namespace kel::posix {

// Installs the handlers; a KelError where no pipe can be had.
void CatchEndSignals();
// The pipe's reading end, for poll.
int EndSignalPipe();
// True (once) when a signal came since the last call.
bool EndSignalArrived();
// Waits until `deadline` for the pipe and, where `connection` is not -1, for
// that descriptor too; true when one of them has something to read. Sleeps
// whole milliseconds rounded up: never wakes early to spin.
bool WaitForSignalOr(int connection, std::chrono::steady_clock::time_point deadline);

}  // namespace kel::posix
