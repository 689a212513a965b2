/* Stands in for the little monitor of the screen saver settings, and looks
 * at the preview a program draws in it.
 *
 *   preview_parent.exe window X Y W H STOPFILE
 *       a window whose client area is W x H pixels at X, Y of the screen,
 *       painted in one colour; prints its handle in decimal, as the settings
 *       pass it with /p. Once STOPFILE exists it destroys the window, prints
 *       "destroyed", lives 5 s more (so that a child in another process
 *       loses its parent, not the parent's process) and ends with 0.
 *   preview_parent.exe children HANDLE
 *       prints one line per child window of HANDLE:
 *       "CLASS X Y W H visible|hidden own|other" (position in the parent's
 *       client area; "other" when another process made it).
 *   preview_parent.exe lift HANDLE CLASS
 *       makes the child of that class a top-level popup at the same place of
 *       the screen, above everything. Wine 8 shows nothing that a process
 *       draws into another process's window; lifted out, the child's own
 *       drawing comes on screen where it would have been.
 *
 * Exit 2 on bad arguments, 1 when a window cannot be made or found.
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *stop_file;

static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TIMER && GetFileAttributesA(stop_file) != INVALID_FILE_ATTRIBUTES) {
        KillTimer(w, 1);
        DestroyWindow(w);
        printf("destroyed\n");
        fflush(stdout);
        Sleep(5000);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

static int Window(char **argv)
{
    stop_file = argv[6];
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = CreateSolidBrush(RGB(0x33, 0x66, 0xcc));
    wc.lpszClassName = "kelPreviewParent";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "kelPreviewParent", WS_POPUP | WS_VISIBLE,
                             atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                             NULL, NULL, wc.hInstance, NULL);
    if (w == NULL) return 1;
    printf("%lu\n", (unsigned long)(ULONG_PTR)w);
    fflush(stdout);
    SetTimer(w, 1, 100, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

static HWND Handle(const char *text) { return (HWND)(ULONG_PTR)strtoul(text, NULL, 10); }

static BOOL CALLBACK PrintChild(HWND child, LPARAM parent)
{
    char cls[64] = "";
    RECT r;
    DWORD pid = 0;
    GetClassNameA(child, cls, sizeof cls);
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, (HWND)parent, (POINT *)&r, 2);
    GetWindowThreadProcessId(child, &pid);
    printf("%s %ld %ld %ld %ld %s %s\n", cls, r.left, r.top, r.right - r.left, r.bottom - r.top,
           IsWindowVisible(child) ? "visible" : "hidden",
           pid == GetCurrentProcessId() ? "own" : "other");
    return TRUE;
}

static int Lift(HWND parent, const char *cls)
{
    HWND child = FindWindowExA(parent, NULL, cls, NULL);
    if (child == NULL) return 1;
    POINT at = {0, 0};
    ClientToScreen(parent, &at);
    SetParent(child, NULL);
    SetWindowLongA(child, GWL_STYLE, (GetWindowLongA(child, GWL_STYLE) & ~WS_CHILD) | WS_POPUP);
    return SetWindowPos(child, HWND_TOPMOST, at.x, at.y, 0, 0,
                        SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 7 && strcmp(argv[1], "window") == 0) return Window(argv);
    if (argc == 3 && strcmp(argv[1], "children") == 0) {
        HWND parent = Handle(argv[2]);
        if (!IsWindow(parent)) return 1;
        EnumChildWindows(parent, PrintChild, (LPARAM)parent);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "lift") == 0) return Lift(Handle(argv[2]), argv[3]);
    return 2;
}
