// The entry point: Main. Refuses a second instance before anything else (but
// for a preview), then loads the window that the screen-saver switch asks for.
#include <windows.h>

#include <string>

#include "dialog/win32/form2_host.h"
#include "platform/errors.h"
#include "platform/win32/handles.h"
#include "saver/win32/preview_host.h"
#include "saver/win32/saver_host.h"
#include "platform/win32/system_win32.h"
#include "startup/instance.h"
#include "startup/switch.h"

namespace {

// One mutex per program file: a second start of the same file (whatever its
// switch, under whatever name) finds it taken. Its name is a fixed-length
// hash of the path, so a long path cannot make it too long. The handle stays
// open until the process ends or has nothing left to do but finish a greeting.
bool AnotherInstanceRuns() {
    const std::u16string path =
        kel::win32::FromWide(kel::win32::NormalisedPath(kel::win32::ModulePath()));
    const std::wstring name = kel::win32::Wide(kel::InstanceMutexName(path));
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = ::GetLastError();
    kel::InstanceMutex outcome = kel::InstanceMutex::Created;
    if (mutex == nullptr) {
        outcome = error == ERROR_ACCESS_DENIED ? kel::InstanceMutex::AccessDenied
                                               : kel::InstanceMutex::Failed;
    } else if (error == ERROR_ALREADY_EXISTS) {
        outcome = kel::InstanceMutex::AlreadyExists;
    }
    if (mutex != nullptr) kel::win32::KeepInstanceMutex(mutex);
    return kel::AnotherInstanceRuns(outcome);
}

// The preview in the screen saver settings runs beside anything, a saver
// started meanwhile included, so it takes no part in the instance check. A
// handle that names no window ends it at once. Handles are 32 bits wide
// between processes, and sign-extended where pointers are wider.
int Preview(const std::u16string& argumentText) {
    const auto handle = static_cast<std::int32_t>(kel::PreviewParent(argumentText));
    const HWND parent = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
    if (parent == nullptr || !::IsWindow(parent)) return 0;
    return kel::win32::RunPreview(parent);
}

int Main() {
    const std::u16string argumentText =
        kel::ArgumentText(kel::win32::FromWide(::GetCommandLineW()));
    const kel::StartAction action = kel::ActionForSwitch(kel::MakeSwitch(argumentText));
    if (action == kel::StartAction::Preview) return Preview(argumentText);
    if (AnotherInstanceRuns()) return 0;
    switch (action) {
    case kel::StartAction::Preview:
    case kel::StartAction::EndAtOnce:
        return 0;
    case kel::StartAction::LoadSettings:
        return kel::RunSettingsDialog();
    case kel::StartAction::LoadSaver:
        return kel::win32::RunSaver();
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Errors that nothing else handles end here: one clear report, then the
    // end of the program, writing nothing further.
    try {
        ::ExitProcess(static_cast<UINT>(Main()));
    } catch (const kel::KelError& error) {
        kel::win32::ReportError(error);
    } catch (const std::exception& error) {
        kel::win32::ReportUnexpected(error.what());
    }
    ::ExitProcess(1);
}
