// Functions of the system's DLLs that only some runs need (the sounds, the
// speech engine, the timer period), loaded from the system directory on first
// use. A run without sound or speech then neither maps those DLLs and what
// they import at its start nor tears them down at its end, when the user is
// waiting for the screen.
#pragma once

#include <windows.h>

namespace kel::win32 {

// `name` in `dll` of the system directory (never one found beside the
// program), loading the DLL for the rest of the run; nullptr when either is
// missing.
FARPROC SystemDllProc(const wchar_t* dll, const char* name);

// The same as a pointer of the function's own type:
//   static const auto play = SystemProc<decltype(&::sndPlaySoundA)>(L"winmm.dll", "sndPlaySoundA");
template <typename Function>
Function SystemProc(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(SystemDllProc(dll, name)));
}

}  // namespace kel::win32
