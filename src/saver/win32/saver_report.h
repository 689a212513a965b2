// The report of an error that reaches the saver's window procedure.
#pragma once

#include <windows.h>

#include <exception>

#include "platform/errors.h"
#include "platform/win32/system_win32.h"
#include "saver/win32/cover_windows.h"

namespace kel::win32 {

// Stops the saver's timer and hides its window and the covers. The report
// that follows is a box with no owner: behind a topmost full-screen window
// nobody would see it, and the timer would go on ticking around it.
void StopBeforeReport(HWND saver, UINT_PTR timerId, CoverWindows& covers);

// Runs one message's handler. An error that leaves it is reported once the
// saver is stopped and hidden, and false is returned: the caller ends the
// program, writing nothing further.
template <typename Handler>
bool RunOrReport(HWND saver, UINT_PTR timerId, CoverWindows& covers, Handler&& handler) {
    try {
        handler();
        return true;
    } catch (const KelError& error) {
        StopBeforeReport(saver, timerId, covers);
        ReportError(error);
    } catch (const std::exception& error) {
        StopBeforeReport(saver, timerId, covers);
        ReportUnexpected(error.what());
    }
    return false;
}

}  // namespace kel::win32
