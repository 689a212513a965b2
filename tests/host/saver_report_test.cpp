// What we test: an error that reaches the saver's window procedure is
// reported in a box that nothing covers: while the box is up, the saver's
// timer is stopped and the topmost saver and its cover are hidden. Looked at
// from inside the box's own message loop, with real windows and a real timer.
#include "check.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/errors.h"
#include "saver/win32/cover_windows.h"
#include "saver/win32/saver_report.h"

namespace kel::win32 {
namespace {

const UINT_PTR kSaverTimer = 1;

// This thread's visible windows of one class: how many, and the last one.
struct Visible {
    const wchar_t* className;
    int count = 0;
    HWND last = nullptr;
};

BOOL CALLBACK CountVisible(HWND hwnd, LPARAM data) {
    auto* visible = reinterpret_cast<Visible*>(data);
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    if (std::wstring(name) == visible->className && ::IsWindowVisible(hwnd)) {
        ++visible->count;
        visible->last = hwnd;
    }
    return TRUE;
}

Visible VisibleOf(const wchar_t* className) {
    Visible visible{className};
    ::EnumThreadWindows(::GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

// What the box's loop found while the box was up.
struct SeenWithBox {
    bool boxUp = false, saverVisible = false, timerRunning = false;
    int coversVisible = -1;
    std::wstring text;
} seen;
HWND saverWindow = nullptr;

BOOL CALLBACK AddText(HWND child, LPARAM) {
    wchar_t text[512] = {};
    ::GetWindowTextW(child, text, 512);
    seen.text += std::wstring(text) + L"\n";
    return TRUE;
}

// A thread timer fires only inside the box's modal loop.
void CALLBACK LookWhileBoxIsUp(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = VisibleOf(L"#32770").last;
    if (box == nullptr || seen.boxUp) return;
    seen.boxUp = true;
    seen.saverVisible = ::IsWindowVisible(saverWindow) != FALSE;
    seen.coversVisible = VisibleOf(L"kelSaverCover").count;
    seen.timerRunning = ::KillTimer(saverWindow, kSaverTimer) != FALSE;
    ::EnumChildWindows(box, AddText, 0);
    ::KillTimer(nullptr, id);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(SaverReport, BoxComesAfterTheSaverIsStoppedAndHidden) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"kelReportTestSaver";
    ::RegisterClassW(&wc);

    for (const bool ours : {true, false}) {
        SCOPED_TRACE(ours ? "our error" : "any other error");
        // Half the screen: the cover takes the rest of the monitor.
        saverWindow = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Form1", WS_POPUP, 0, 0,
                                        ::GetSystemMetrics(SM_CXSCREEN) / 2,
                                        ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                        instance, nullptr);
        ::ShowWindow(saverWindow, SW_SHOW);
        CoverWindows covers;
        covers.Update(saverWindow);
        ASSERT_TRUE(VisibleOf(L"kelSaverCover").count > 0) << "the test needs a visible cover";
        ASSERT_TRUE(::SetTimer(saverWindow, kSaverTimer, 1000, nullptr) != 0);

        seen = SeenWithBox{};
        ::SetTimer(nullptr, 0, 20, LookWhileBoxIsUp);
        EXPECT_FALSE(RunOrReport(saverWindow, kSaverTimer, covers, [ours] {
            if (ours) throw KelError(ErrorKind::Io, "painting the saying", "line 7");
            throw std::runtime_error("bad allocation");
        }));

        ASSERT_TRUE(seen.boxUp) << "no report box was seen";
        EXPECT_FALSE(seen.saverVisible) << "the saver was still on screen beside the box";
        EXPECT_EQ(seen.coversVisible, 0) << "the cover was still on screen beside the box";
        EXPECT_FALSE(seen.timerRunning) << "the saver's timer was still running";
        const wchar_t* expected = ours ? L"painting the saying" : L"Unexpected error: bad allocation";
        EXPECT_TRUE(seen.text.find(expected) != std::wstring::npos) << "the box says something else";
        ::DestroyWindow(saverWindow);
    }
}

}  // namespace
}  // namespace kel::win32
