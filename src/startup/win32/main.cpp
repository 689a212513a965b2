// The entry point: Main. Refuses a second instance before anything else, then
// loads the window that the screen-saver switch asks for.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "dialog/win32/form2_host.h"
#include "platform/errors.h"
#include "platform/win32/handles.h"
#include "saver/win32/saver_host.h"
#include "platform/win32/system_win32.h"
#include "startup/switch.h"

namespace {

// One mutex per program file: a second start of the same file (whatever its
// switch) finds it taken. The handle stays open until the process ends.
bool AnotherInstanceRuns() {
    std::wstring name = kel::win32::ModulePath();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(::towlower(c)); });
    std::replace(name.begin(), name.end(), L'\\', L'/');
    name = L"Local\\kel-saver:" + name;
    ::CreateMutexW(nullptr, FALSE, name.c_str());
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
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
