#include "platform/win32/system_win32.h"

#include <mmsystem.h>

#include "platform/win32/handles.h"
#include "platform/win32/system_dll.h"

namespace kel::win32 {

// At once, as the saver's end must be: what was to be written is written,
// and the libraries' detach work (COM, the sound and speech engines) would
// only delay the end the user is waiting for.
void Win32Process::EndProgram() {
    ::TerminateProcess(::GetCurrentProcess(), 0);
    ::ExitProcess(0);  // not reached
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

namespace {

// Calls `call(buffer, size)`, which answers the length it wrote or the size
// it needs, until the buffer is large enough; `path` itself when it fails.
template <typename Call>
std::wstring GrowingPathCall(const std::wstring& path, Call call) {
    std::wstring out(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = call(&out[0], static_cast<DWORD>(out.size()));
        if (length == 0) return path;
        if (length < out.size()) {
            out.resize(length);
            return out;
        }
        out.resize(length + 1);
    }
    return path;
}

HANDLE instanceMutex = nullptr;

}  // namespace

std::wstring NormalisedPath(const std::wstring& path) {
    const std::wstring full = GrowingPathCall(path, [&](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
    // A short name (C:\PROGRA~1\...) names the same file as its long one.
    std::wstring longPath = GrowingPathCall(full, [&](wchar_t* buffer, DWORD size) {
        return ::GetLongPathNameW(full.c_str(), buffer, size);
    });
    if (!longPath.empty()) {
        ::CharUpperBuffW(&longPath[0], static_cast<DWORD>(longPath.size()));
    }
    return longPath;
}

void KeepInstanceMutex(HANDLE mutex) { instanceMutex = mutex; }

void ReleaseInstanceMutex() {
    if (instanceMutex == nullptr) return;
    ::CloseHandle(instanceMutex);
    instanceMutex = nullptr;
}

std::u16string Win32Process::ProgramDirectory() const {
    std::wstring path = ModulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.resize(slash);
    return FromWide(path);
}

std::vector<std::uint8_t> Win32Process::LoadCustomResource(int id) const {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"CUSTOM");
    HGLOBAL loaded = info ? ::LoadResource(nullptr, info) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        throw KelError(ErrorKind::ResourceMissing, "loading the program's sounds",
                       "resource CUSTOM " + std::to_string(id),
                       SystemErrorText(::GetLastError()));
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + ::SizeofResource(nullptr, info));
}

// A system without winmm.dll plays nothing, as one without a sound device.
void Win32SoundPlayer::Play(const std::vector<std::uint8_t>& soundFile) {
    static const auto play =
        SystemProc<decltype(&::sndPlaySoundA)>(L"winmm.dll", "sndPlaySoundA");
    if (soundFile.empty() || play == nullptr) return;
    play(reinterpret_cast<LPCSTR>(soundFile.data()), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

// A high-resolution waitable timer (Windows 10 version 1803 on) ends within
// about half a millisecond without touching the system's timer rate. Where
// there is none, the timer period is raised to 1 ms for this pause alone, as
// the timer API asks of its users: at the default period of 15.6 ms a pause
// would last up to that much longer, and a period raised for the whole run
// would keep the whole system's timer interrupts at 1 kHz through every hold
// (on Windows before 10 version 2004).
void PreciseSleep(DWORD milliseconds) {
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
    const DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif
    static const HANDLE timer = ::CreateWaitableTimerExW(
        nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * milliseconds;  // relative, in 100 ns units
    if (timer != nullptr && ::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        ::WaitForSingleObject(timer, INFINITE);
        return;
    }
    static const auto begin =
        SystemProc<decltype(&::timeBeginPeriod)>(L"winmm.dll", "timeBeginPeriod");
    static const auto end = SystemProc<decltype(&::timeEndPeriod)>(L"winmm.dll", "timeEndPeriod");
    const bool raised = begin != nullptr && end != nullptr && begin(1) == TIMERR_NOERROR;
    ::Sleep(milliseconds);
    if (raised) end(1);
}

namespace {
const wchar_t kReportTitle[] = L"kel \x683C\x8A00\x30FB\x8FF7\x8A00";  // kel 格言・迷言
}

void ReportError(const KelError& error) {
    const std::wstring text = WideFromUtf8(error.Report());
    ::MessageBoxW(nullptr, text.c_str(), kReportTitle, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void ReportUnexpected(const char* what) {
    const std::wstring text = L"Unexpected error: " + WideFromUtf8(what ? what : "");
    ::MessageBoxW(nullptr, text.c_str(), kReportTitle, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace kel::win32
