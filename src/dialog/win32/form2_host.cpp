// PLACEHOLDER until the settings dialog lands: an empty window with the
// dialog's title that ends the program when closed.
#include "dialog/win32/form2_host.h"

#include <windows.h>

namespace kel {

namespace {
LRESULT CALLBACK PlaceholderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace

int RunSettingsDialog() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlaceholderProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"kelForm2";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"kelForm2", L"\u30E1\u30C3\u30BB\u30FC\u30B8\u30A8\u30C7\u30A3\u30BF\u30FC",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                              640, 260, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace kel
