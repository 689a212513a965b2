// What we test: an error that reaches the saver's window procedure is
// reported in a box that nothing covers: by the time the box is up, the
// saver's timer is stopped and the saver and its covers are hidden. Checked
// from inside the box's own message loop, with a real topmost window, a real
// cover over the part of the screen it leaves and a running timer.
#include "check.h"

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "platform/errors.h"
#include "saver/win32/cover_windows.h"
#include "saver/win32/saver_report.h"

namespace kel::win32 {
namespace {

const UINT_PTR kSaverTimer = 1;

// What the box's loop found while the box was up.
struct SeenWithBox {
    bool boxUp = false;
    bool saverVisible = false;
    int coversVisible = -1;
    bool timerRunning = false;
    std::wstring text;  // the box's texts, one after another
};
SeenWithBox* seen = nullptr;
HWND saverWindow = nullptr;

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

BOOL CALLBACK CountVisibleCover(HWND hwnd, LPARAM data) {
    if (ClassOf(hwnd) == L"kelSaverCover" && ::IsWindowVisible(hwnd)) {
        ++*reinterpret_cast<int*>(data);
    }
    return TRUE;
}

int VisibleCovers() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountVisibleCover, reinterpret_cast<LPARAM>(&count));
    return count;
}

BOOL CALLBACK DestroyCover(HWND hwnd, LPARAM) {
    if (ClassOf(hwnd) == L"kelSaverCover") ::DestroyWindow(hwnd);
    return TRUE;
}

BOOL CALLBACK FindVisibleBox(HWND hwnd, LPARAM data) {
    if (ClassOf(hwnd) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(data) = hwnd;
    return FALSE;
}

BOOL CALLBACK AddText(HWND child, LPARAM) {
    wchar_t text[512] = {};
    ::GetWindowTextW(child, text, 512);
    seen->text += text;
    seen->text += L"\n";
    return TRUE;
}

// A thread timer: it fires only inside the box's modal loop, so whatever it
// sees is the state the user would see beside the box.
void CALLBACK LookWhileBoxIsUp(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr || seen->boxUp) return;
    seen->boxUp = true;
    seen->saverVisible = ::IsWindowVisible(saverWindow) != FALSE;
    seen->coversVisible = VisibleCovers();
    seen->timerRunning = ::KillTimer(saverWindow, kSaverTimer) != FALSE;
    ::EnumChildWindows(box, AddText, 0);
    ::KillTimer(nullptr, id);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(SaverReport, BoxComesAfterTheSaverIsStoppedAndHidden) {
    struct Case {
        const char* name;
        std::function<void()> fail;  // a message handler that fails
        const wchar_t* expected;  // part of the box's text
    };
    const Case cases[] = {
        {"our error",
         [] { throw KelError(ErrorKind::Io, "painting the saying", "line 7"); },
         L"painting the saying"},
        {"any other error", [] { throw std::runtime_error("bad allocation"); },
         L"Unexpected error: bad allocation"},
    };

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"kelReportTestSaver";
    ::RegisterClassW(&wc);
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Half the screen: the cover takes the monitor the saver leaves.
        saverWindow = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Form1", WS_POPUP, 0, 0,
                                        width / 2, height, nullptr, nullptr, instance, nullptr);
        ASSERT_TRUE(saverWindow != nullptr);
        ::ShowWindow(saverWindow, SW_SHOW);
        CoverWindows covers;
        covers.Update(saverWindow);
        ASSERT_EQ(VisibleCovers(), 1) << "the test needs a visible cover";
        ASSERT_TRUE(::SetTimer(saverWindow, kSaverTimer, 1000, nullptr) != 0);

        SeenWithBox box;
        seen = &box;
        ::SetTimer(nullptr, 0, 20, LookWhileBoxIsUp);
        EXPECT_FALSE(RunOrReport(saverWindow, kSaverTimer, covers, c.fail));
        seen = nullptr;

        ASSERT_TRUE(box.boxUp) << "no report box was seen";
        EXPECT_FALSE(box.saverVisible) << "the saver was still on screen beside the box";
        EXPECT_EQ(box.coversVisible, 0) << "covers still on screen beside the box";
        EXPECT_FALSE(box.timerRunning) << "the saver's timer was still running";
        EXPECT_TRUE(box.text.find(c.expected) != std::wstring::npos) << "the box says something else";
        ::EnumThreadWindows(::GetCurrentThreadId(), DestroyCover, 0);
        ::DestroyWindow(saverWindow);
    }
}

}  // namespace
}  // namespace kel::win32
