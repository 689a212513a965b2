/* The soak's probe: finds the running kel.scr and prints, twice a second
 * until it ends, "GDI USER" (its GDI and USER object counts from
 * GetGuiResources; both 0 where the system does not report them). */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

static DWORD FindSaver(void) {
    DWORD pid = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    if (snap == INVALID_HANDLE_VALUE) return 0;
    if (Process32First(snap, &entry)) {
        do {
            if (_stricmp(entry.szExeFile, "kel.scr") == 0) pid = entry.th32ProcessID;
        } while (pid == 0 && Process32Next(snap, &entry));
    }
    CloseHandle(snap);
    return pid;
}

int main(void) {
    HANDLE saver = NULL;
    int tries;
    setvbuf(stdout, NULL, _IONBF, 0);
    for (tries = 0; tries < 120 && saver == NULL; ++tries) {
        DWORD pid = FindSaver();
        if (pid != 0) saver = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
        if (saver == NULL) Sleep(500);
    }
    if (saver == NULL) {
        printf("no kel.scr\n");
        return 1;
    }
    while (WaitForSingleObject(saver, 500) == WAIT_TIMEOUT) {
        printf("%lu %lu\n", (unsigned long)GetGuiResources(saver, GR_GDIOBJECTS),
               (unsigned long)GetGuiResources(saver, GR_USEROBJECTS));
    }
    return 0;
}
