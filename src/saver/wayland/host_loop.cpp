// The loop: Timer1 as the deadline of one poll over the compositor's
// connection and the signal pipe; the waits Form1 asks for; the end of the run.
#include <unistd.h>

#include <chrono>

#include "platform/errors.h"
#include "platform/linux/end_signals.h"
#include "saver/wayland/host.h"

namespace kel::wayland {

void SaverHost::QueryUnloadOnce() {
    if (queryUnloadRan_) return;
    queryUnloadRan_ = true;
    form_.QueryUnload();
}

// The surfaces go; the outputs show what they showed before.
void SaverHost::Hide() {
    if (hidden_ || lost_) return;
    hidden_ = true;
    for (auto& output : c_.outputs) output->Release();
    wl_display_flush(c_.display);
}

// The window's QueryUnload runs; the caller ends the process right after.
void SaverHost::Unload() {
    if (unloading_) return;
    unloading_ = true;
    timer_.Enable(false);
    QueryUnloadOnce();
    LetGreetingFinish();
}

// A one-shot run that ends by itself lets its greeting finish with the
// surfaces gone.
void SaverHost::LetGreetingFinish() {
    const bool byItself = !(closedBySystem_ || inInput_);
    x11::FinishGreeting(speaker_, seam_, byItself && form_.OneShot == 1, [this] { Hide(); });
}

void SaverHost::CloseFromSystem() {
    closedBySystem_ = true;
    Unload();
    seam_.process.EndProgram();
}

// The compositor is gone (the session ended): the close step, then the end.
void SaverHost::ConnectionLost() {
    lost_ = true;
    closedBySystem_ = true;
    QueryUnloadOnce();
    speaker_.Stop();
    seam_.process.EndProgram();
}

// Delivers what the compositor has sent, after reading the connection
// without waiting when `read`. Every event is delivered here, those that an
// earlier read queued too (a paint waiting for a buffer reads input along
// with the buffer's release). A handler that fails ends the program with the
// report, as an error in a window procedure does on Windows.
void SaverHost::DeliverEvents(bool read) {
    wl_display* display = c_.display;
    inInput_ = true;  // whatever ends the saver from here is no natural end
    try {
        if (read) {
            while (wl_display_prepare_read(display) != 0) {
                if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
            }
            wl_display_flush(display);
            // Reads what is there without waiting (nothing there is no error).
            if (wl_display_read_events(display) < 0) ConnectionLost();
        }
        if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
    } catch (const KelError& error) {
        x11::ReportError(error);
        _exit(1);
    } catch (const std::exception& error) {
        x11::ReportUnexpected(error.what());
        _exit(1);
    }
    inInput_ = false;
}

// The connection is read at most once a millisecond: the fit loop pumps at
// each of its steps, microseconds apart, and each read is a system call
// that finds nothing. What comes between is read by the next pump or wakes
// the next wait, after which the pump reads at once (else the wait would
// find the connection readable again and again until the millisecond is out).
void SaverHost::PumpEvents() {
    if (posix::EndSignalArrived()) CloseFromSystem();
    const auto now = Clock::now();
    const bool read = now - lastRead_ >= std::chrono::milliseconds(1);
    if (read) lastRead_ = now;
    DeliverEvents(read);
    Paint();
}

bool SaverHost::WaitUntil(Clock::time_point deadline, bool withEvents) {
    if (withEvents) {
        // Events already read are queued where poll cannot see them.
        if (wl_display_prepare_read(c_.display) != 0) return true;
        wl_display_cancel_read(c_.display);
    }
    wl_display_flush(c_.display);
    if (!posix::WaitForSignalOr(withEvents ? wl_display_get_fd(c_.display) : -1, deadline)) return false;
    lastRead_ = Clock::time_point{};  // woken: the next pump reads, however soon
    return true;
}

// No events are delivered during a sleep (input waits for the next pump);
// only a signal ends it, since the saver must close within moments then.
void SaverHost::Sleep(std::uint32_t milliseconds) {
    wl_display_flush(c_.display);
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (WaitUntil(deadline, false)) {
        if (posix::EndSignalArrived()) CloseFromSystem();
    }
}

// Lasts `milliseconds` from the call by the monotonic clock: one poll to
// the deadline, whatever arrives meanwhile delivered at once, then the poll
// again to the same deadline.
void SaverHost::WaitForEvents(std::uint32_t milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    PumpEvents();
    while (WaitUntil(deadline, true)) PumpEvents();
}

void SaverHost::Run() {
    timer_.Loop(form_, [this] { PumpEvents(); },
                [this](Clock::time_point deadline) { WaitUntil(deadline, true); });
}

}  // namespace kel::wayland
