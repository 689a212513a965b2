// The loop: Timer1 as the deadline of one poll over the X connection and the
// signal pipe; the waits Form1 asks for; the start of the run.
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/paths.h"
#include "platform/errors.h"
#include "platform/linux/end_signals.h"
#include "saver/x11/host.h"
#include "saver/x11/saver_host.h"

namespace kel::x11 {

// Delivers every queued event, then paints what changed. A handler that
// fails ends the program with the report, as an error in a window
// procedure does on Windows (the tick's guards must not swallow it).
//
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
    do {
        while ((read ? XPending(display_) : XQLength(display_)) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            try {
                Dispatch(event);
            } catch (const KelError& error) {
                ReportError(error);
                _exit(1);
            } catch (const std::exception& error) {
                ReportUnexpected(error.what());
                _exit(1);
            }
        }
        Paint();
        // A paint that waited for the server read what came meanwhile into
        // Xlib's queue, where no poll sees it: delivered now.
    } while (XQLength(display_) > 0);
}

// A paint's drawing is sent once, here, before the wait: Xlib reads the
// connection after every flush, and a flush per paint and another per wait
// were reads that found nothing. What that read brought sits in Xlib's
// queue, where no poll sees it: a wait for events ends at once for it.
bool SaverHost::WaitUntil(Clock::time_point deadline, bool withEvents) {
    if (unflushed_) {
        unflushed_ = false;
        XFlush(display_);
    }
    if (withEvents && XQLength(display_) > 0) return true;
    if (!posix::WaitForSignalOr(withEvents ? ConnectionNumber(display_) : -1, deadline)) return false;
    lastRead_ = Clock::time_point{};  // woken: the next pump reads, however soon
    return true;
}

// No events are delivered during a sleep (input waits for the next pump);
// only a signal ends it, since the saver must close within moments then.
void SaverHost::Sleep(std::uint32_t milliseconds) {
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
    while (WaitUntil(deadline, true)) PumpEvents();
}

void SaverHost::Run() {
    timer_.Loop(form_, [this] { PumpEvents(); },
                [this](Clock::time_point deadline) { WaitUntil(deadline, true); });
}

namespace {
SaverHost* runningHost = nullptr;
}  // namespace

int RunSaver(const Options& options) {
    Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (display == nullptr) {
        const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
        if (name == nullptr || *name == '\0') {
            throw KelError(ErrorKind::Io, "opening the X display", {}, "DISPLAY is not set");
        }
        throw KelError(ErrorKind::Io, "opening the X display", name, "cannot connect to the X server");
    }
    HandleXErrors([] {
        if (runningHost == nullptr) return;
        runningHost->QueryUnloadOnce();
        runningHost->StopSpeaking();
    });
    posix::CatchEndSignals();

    for (const std::string& warning : options.warnings) std::fprintf(stderr, "kel: %s\n", warning.c_str());
    // A locker holds the screen: it is not the saver's to cover.
    if (options.standalone && ScreenLocked(display)) return 0;
    if (!CoversJapanese(display, DefaultScreen(display))) {
        std::fprintf(stderr, "kel: no font for Japanese: the sayings show as boxes; install "
                             "fonts-ipafont-gothic or fonts-noto-cjk\n");
    }

    runningHost = new SaverHost(display, options);  // lives until the process ends
    SaverHost* host = runningHost;
    // The settings folder is made only once the saver has somewhere to show.
    SetDataDirectory(posix::PrepareDataDirectory(), '/');
    host->form().Load();
    host->Run();
}

}  // namespace kel::x11
