/* Prints the texts of the program's message boxes (top-level dialog windows
 * of class "#32770") as UTF-8: the title, then the text of every child
 * window, one per line, then a line "--". Runs in the same Wine prefix as
 * the program under test, so it sees that program's windows.
 *
 *   window_texts.exe            exit 0 when a message box was found, else 1
 *   window_texts.exe --close    also presses OK on each one found
 *   window_texts.exe --class C  prints how many windows of class C exist
 */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

static int found = 0;
static int pressOk = 0;
static const char* countClass = NULL;

static void PrintWide(const wchar_t* text) {
    char utf8[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    if (n > 0) fwrite(utf8, 1, (size_t)(n - 1), stdout);
    fputc('\n', stdout);
}

static BOOL CALLBACK OnChild(HWND child, LPARAM unused) {
    wchar_t text[4096];
    (void)unused;
    if (GetWindowTextW(child, text, 4096) > 0) PrintWide(text);
    return TRUE;
}

static BOOL CALLBACK OnTop(HWND hwnd, LPARAM unused) {
    wchar_t cls[64], title[512];
    (void)unused;
    if (countClass != NULL) {
        char name[64];
        found += GetClassNameA(hwnd, name, 64) > 0 && strcmp(name, countClass) == 0;
        return TRUE;
    }
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (GetClassNameW(hwnd, cls, 64) == 0 || wcscmp(cls, L"#32770") != 0) return TRUE;
    GetWindowTextW(hwnd, title, 512);
    PrintWide(title);
    EnumChildWindows(hwnd, OnChild, 0);
    fputs("--\n", stdout);
    found = 1;
    if (pressOk) {
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(hwnd, IDOK));
    }
    return TRUE;
}

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    pressOk = argc > 1 && strcmp(argv[1], "--close") == 0;
    if (argc > 2 && strcmp(argv[1], "--class") == 0) {
        countClass = argv[2];
        EnumWindows(OnTop, 0);
        printf("%d\n", found);
        return 0;
    }
    EnumWindows(OnTop, 0);
    fflush(stdout);
    return found ? 0 : 1;
}
