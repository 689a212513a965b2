/* The least a full-screen window program can be: one topmost popup covering
 * the screen, black, that ends the process on its first input (a click, a
 * key, or a mouse movement to a new position) once a second has passed (the
 * saver ignores movements before its first tick, too), and that
 * writes one key to c:\windows\kel.ini on the way out, as the saver must.
 * The bench compares the saver's start, reaction time and memory with this.
 * Started with /sound it also plays a short tone once armed, through winmm
 * loaded then (as the saver loads it for its first sound), so that a saver
 * that has played its sounds is compared with a program that has too. */
#include <windows.h>

static POINT last;
static int armed, withSound;

static void PlayTone(void) {
    static unsigned char wav[44 + 2205];  /* 0.1 s, 8-bit mono at 22,050 Hz */
    typedef BOOL(WINAPI * Play)(LPCSTR, UINT);
    const DWORD n = sizeof wav - 44;
    HMODULE winmm = LoadLibraryW(L"winmm.dll");
    Play play = winmm ? (Play)(void (*)(void))GetProcAddress(winmm, "sndPlaySoundA") : NULL;
    DWORD i;
    memcpy(wav, "RIFF", 4); *(DWORD*)(wav + 4) = 36 + n;
    memcpy(wav + 8, "WAVEfmt ", 8); *(DWORD*)(wav + 16) = 16;
    *(WORD*)(wav + 20) = 1; *(WORD*)(wav + 22) = 1;          /* PCM, mono */
    *(DWORD*)(wav + 24) = 22050; *(DWORD*)(wav + 28) = 22050;
    *(WORD*)(wav + 32) = 1; *(WORD*)(wav + 34) = 8;
    memcpy(wav + 36, "data", 4); *(DWORD*)(wav + 40) = n;
    for (i = 0; i < n; ++i) wav[44 + i] = (i / 25) % 2 ? 160 : 96;  /* 441 Hz */
    if (play) play((LPCSTR)wav, SND_ASYNC | SND_MEMORY | SND_NODEFAULT);
}

static void End(void) {
    WritePrivateProfileStringA("StartUP", "Frase_No", "1", "c:\\windows\\kel.ini");
    ExitProcess(0);
}

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT at = {(short)LOWORD(lp), (short)HIWORD(lp)};
        ClientToScreen(hwnd, &at);
        if (at.x == last.x && at.y == last.y) return 0;
        last = at;
        if (!armed) return 0;
        End();
    }
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
        End();
    case WM_TIMER:
        armed = 1;
        if (withSound) PlayTone();
        KillTimer(hwnd, 1);
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect((HDC)wp, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
        return 1;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR cmd, int show) {
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"benchMinimal";
    RegisterClassW(&wc);
    withSound = wcsstr(cmd, L"/sound") != NULL;
    GetCursorPos(&last);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, L"benchMinimal", L"bench-minimal", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                NULL, NULL, inst, NULL);
    ShowWindow(hwnd, SW_SHOW);
    SetTimer(hwnd, 1, 1000, NULL);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
