#include "platform/win32/system_dll.h"

namespace kel::win32 {

FARPROC SystemDllProc(const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    path[length++] = L'\\';
    for (; *dll != L'\0'; ++dll) {
        if (length + 1 >= MAX_PATH) return nullptr;
        path[length++] = *dll;
    }
    path[length] = L'\0';
    // Each call adds a reference; the DLL stays until the process ends.
    const HMODULE module = ::LoadLibraryW(path);
    return module != nullptr ? ::GetProcAddress(module, name) : nullptr;
}

}  // namespace kel::win32
