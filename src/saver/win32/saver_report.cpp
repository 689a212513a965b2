#include "saver/win32/saver_report.h"

namespace kel::win32 {

void StopBeforeReport(HWND saver, UINT_PTR timerId, CoverWindows& covers) {
    ::KillTimer(saver, timerId);
    ::ShowWindow(saver, SW_HIDE);
    covers.Hide();
}

}  // namespace kel::win32
