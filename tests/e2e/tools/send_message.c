/* Sends the program under test a message that Wine would not send it by
 * itself but Windows (or another program) does. Runs in the same Wine prefix.
 *
 *   send_message.exe focus-click TITLE CAPTION
 *       WM_COMMAND/BN_CLICKED from the child button CAPTION to the visible
 *       top-level window TITLE, as Windows reports an option button that
 *       receives the focus while it is clear.
 *   send_message.exe quit CLASS
 *       WM_QUIT posted to the thread of the visible window of class CLASS.
 *
 * Waits up to 20 s for the window. Exit 0 when the message went, 1 when the
 * window or the button was not found, 2 on bad arguments.
 */
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

static HWND WaitForWindow(const wchar_t* cls, const wchar_t* title) {
    for (int i = 0; i < 200; ++i) {
        HWND w = FindWindowW(cls, title);
        if (w != NULL && IsWindowVisible(w)) return w;
        Sleep(100);
    }
    return NULL;
}

int wmain(void) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == NULL || argc < 3) return 2;
    if (wcscmp(argv[1], L"focus-click") == 0 && argc == 4) {
        HWND top = WaitForWindow(NULL, argv[2]);
        HWND button = top ? FindWindowExW(top, NULL, L"Button", argv[3]) : NULL;
        if (button == NULL) return 1;
        SendMessageW(top, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     (LPARAM)button);
        return 0;
    }
    if (wcscmp(argv[1], L"quit") == 0) {
        HWND w = WaitForWindow(argv[2], NULL);
        if (w == NULL) return 1;
        return PostThreadMessageW(GetWindowThreadProcessId(w, NULL), WM_QUIT, 0, 0) ? 0 : 1;
    }
    return 2;
}
