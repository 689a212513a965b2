/* Prints the child windows of the visible top-level window whose title is
 * the first argument (UTF-8), one per line:
 *     left top width height class text
 * in pixels of the window's client area, the text as UTF-8. Runs in the same
 * Wine prefix as the program under test. The probe declares itself DPI aware,
 * so the numbers are the screen's own pixels at any DPI.
 *
 *   child_rects.exe TITLE     exit 0 when the window was found, else 1
 */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

static void PrintWide(const wchar_t* text) {
    char utf8[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    if (n > 0) fwrite(utf8, 1, (size_t)(n - 1), stdout);
}

static BOOL CALLBACK OnChild(HWND child, LPARAM parent) {
    wchar_t cls[64], text[512];
    RECT r;
    if (GetParent(child) != (HWND)parent) return TRUE;
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, (HWND)parent, (POINT*)&r, 2);
    GetClassNameW(child, cls, 64);
    text[0] = 0;
    GetWindowTextW(child, text, 512);
    printf("%ld %ld %ld %ld ", r.left, r.top, r.right - r.left, r.bottom - r.top);
    PrintWide(cls);
    fputc(' ', stdout);
    PrintWide(text);
    fputc('\n', stdout);
    return TRUE;
}

/* Built with -municode: the title arrives as UTF-16 whatever the code page. */
int wmain(int argc, wchar_t** argv) {
    HWND top;
    _setmode(_fileno(stdout), _O_BINARY);
    SetProcessDPIAware();
    if (argc < 2) return 2;
    top = FindWindowW(NULL, argv[1]);
    if (top == NULL || !IsWindowVisible(top)) return 1;
    EnumChildWindows(top, OnChild, (LPARAM)top);
    fflush(stdout);
    return 0;
}
