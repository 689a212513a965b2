#include "saver/win32/cover_windows.h"

#include <cstddef>

#include "resources/resource_ids.h"
#include "saver/monitors.h"

namespace kel::win32 {

namespace {

const wchar_t kCoverClass[] = L"kelSaverCover";

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back(
            ScreenRect{r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

std::vector<ScreenRect> Monitors() {
    std::vector<ScreenRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void RegisterCoverClass(HINSTANCE instance, WNDPROC wndProc) {
    WNDCLASSEXW wc = {};
    if (::GetClassInfoExW(instance, kCoverClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = wndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_KEL_BLANK));
    // The default painting fills every invalid part with this brush and
    // draws nothing else.
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kCoverClass;
    ::RegisterClassExW(&wc);
}

}  // namespace

void CoverWindows::Update(HWND form1) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterCoverClass(instance, WndProc);

    RECT f;
    ::GetWindowRect(form1, &f);
    const std::vector<ScreenRect> covers =
        MonitorsToCover(Monitors(), ScreenRect{f.left, f.top, f.right, f.bottom});

    // Move the windows there are, add the missing ones, and only then take
    // away the surplus: a monitor that stays is never uncovered in between.
    // Each window lies right beneath Form1's (both topmost), so Form1 stays
    // in front where they overlap.
    for (std::size_t i = 0; i < covers.size(); ++i) {
        const ScreenRect& r = covers[i];
        if (i == windows_.size()) {
            HWND hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, L"",
                                          WS_POPUP, r.left, r.top, r.right - r.left,
                                          r.bottom - r.top, nullptr, nullptr, instance, form1);
            if (hwnd == nullptr) break;  // that monitor stays as it is
            windows_.push_back(hwnd);
        }
        ::SetWindowPos(windows_[i], form1, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    while (windows_.size() > covers.size()) {
        ::DestroyWindow(windows_.back());
        windows_.pop_back();
    }
}

void CoverWindows::Hide() {
    for (HWND w : windows_) ::ShowWindow(w, SW_HIDE);
}

LRESULT CALLBACK CoverWindows::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    HWND form1 = reinterpret_cast<HWND>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Input and a close request are Form1's to handle. (The wheel goes to
    // the window with the focus, which is Form1's.)
    if (form1 != nullptr) {
        if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL &&
            msg != WM_MOUSEHWHEEL) {
            // Client coordinates of this window become Form1's; a point
            // left of or above Form1's window is negative, as Windows
            // itself reports it to a window that has the capture.
            POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            ::MapWindowPoints(hwnd, form1, &at, 1);
            return ::SendMessageW(form1, msg, wp,
                                  MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
        }
        if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_CLOSE) {
            return ::SendMessageW(form1, msg, wp, lp);
        }
    }
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // keys keep going to Form1
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kel::win32
