/* Follows the keyboard focus of a top-level window of the program under test
 * and prints a line, as UTF-8, each time the focus moves: the focused
 * window's class ("Edit", "ScrollBar", "Button" ...), for a button followed
 * by a blank and its caption ("Button リスト順"); "(none)" when no window
 * of that thread has the focus. Runs in the same Wine prefix as the program,
 * so it sees that program's windows and their thread's focus.
 *
 *   dialog_focus.exe TITLE SECONDS
 *
 * Waits for a visible window with exactly that title, then watches it until
 * it is gone or SECONDS have passed. Exit 0 when the window was seen.
 */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void PrintWide(const wchar_t* text) {
    char utf8[2048];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    if (n > 0) fwrite(utf8, 1, (size_t)(n - 1), stdout);
}

static void Describe(HWND focus) {
    wchar_t cls[128], text[256];
    const wchar_t* name = cls;
    const wchar_t* bang;
    if (focus == NULL) {
        fputs("(none)\n", stdout);
        return;
    }
    if (GetClassNameW(focus, cls, 128) == 0) cls[0] = L'\0';
    /* A class of the common controls 6 may carry a version prefix. */
    bang = wcsrchr(cls, L'!');
    if (bang != NULL) name = bang + 1;
    PrintWide(name);
    if (_wcsicmp(name, L"Button") == 0 && GetWindowTextW(focus, text, 256) > 0) {
        fputc(' ', stdout);
        PrintWide(text);
    }
    fputc('\n', stdout);
}

int main(void) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    DWORD deadline;
    HWND last = (HWND)-1;
    int seen = 0;
    _setmode(_fileno(stdout), _O_BINARY);
    if (argv == NULL || argc < 3) {
        fputs("usage: dialog_focus.exe TITLE SECONDS\n", stderr);
        return 2;
    }
    deadline = GetTickCount() + (DWORD)_wtoi(argv[2]) * 1000u;
    while ((LONG)(GetTickCount() - deadline) < 0) {
        HWND top = FindWindowW(NULL, argv[1]);
        if (top != NULL && IsWindowVisible(top)) {
            GUITHREADINFO info;
            seen = 1;
            ZeroMemory(&info, sizeof info);
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(top, NULL), &info) &&
                info.hwndFocus != last) {
                last = info.hwndFocus;
                Describe(last);
                fflush(stdout);
            }
        } else if (seen) {
            break;
        }
        Sleep(20);
    }
    return seen ? 0 : 1;
}
