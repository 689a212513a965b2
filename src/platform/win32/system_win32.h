// The process, the sounds and the error report on Win32.
#pragma once

#include <windows.h>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/sound.h"

namespace kel::win32 {

class Win32Process : public Process {
public:
    [[noreturn]] void EndProgram() override;
    std::u16string ProgramDirectory() const override;
    std::vector<std::uint8_t> LoadCustomResource(int id) const override;
};

class Win32SoundPlayer : public SoundPlayer {
public:
    void Play(const std::vector<std::uint8_t>& soundFile) override;
};

// The program's report of an error that nothing handled: a message box that
// says what failed, then the caller ends the program.
void ReportError(const KelError& error);
void ReportUnexpected(const char* what);

// The program file's full path, through the wide API (an ANSI path would lose
// katakana under a non-Japanese code page).
std::wstring ModulePath();

}  // namespace kel::win32
