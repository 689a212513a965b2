// The entry point: Main. Refuses a second instance before anything else, then
// loads the window that the screen-saver switch asks for.
#include <windows.h>

#include <string>

#include "dialog/win32/form2_host.h"
#include "platform/errors.h"
#include "platform/win32/handles.h"
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

int Main() {
    if (AnotherInstanceRuns()) return 0;
    const std::u16string switchText =
        kel::MakeSwitch(kel::ArgumentText(kel::win32::FromWide(::GetCommandLineW())));
    switch (kel::ActionForSwitch(switchText)) {
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
