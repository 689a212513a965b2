// Black windows over the monitors that Form1's window leaves uncovered.
#pragma once

#include <windows.h>

#include <vector>

namespace kel::win32 {

// Borderless, topmost, black windows with the invisible pointer, one over
// every monitor that Form1's window does not cover whole. They show nothing
// but black. Mouse, key and close messages that reach them are passed on to
// Form1's window as if they had happened there, so Form1's own input rules
// and its one close step apply to them unchanged.
class CoverWindows {
public:
    CoverWindows() = default;
    CoverWindows(const CoverWindows&) = delete;
    CoverWindows& operator=(const CoverWindows&) = delete;

    // Covers the monitors as they are now: places, adds or removes windows.
    // Called once Form1's window is shown, and again on WM_DISPLAYCHANGE.
    void Update(HWND form1);
    // Hides them all: the saver is over, only a greeting may still be spoken.
    void Hide();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    std::vector<HWND> windows_;
};

}  // namespace kel::win32
