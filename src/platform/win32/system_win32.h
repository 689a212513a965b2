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

// Sleeps for `milliseconds`, to the millisecond, delivering nothing.
void PreciseSleep(DWORD milliseconds);

// The program's report of an error that nothing handled: a message box that
// says what failed, then the caller ends the program.
void ReportError(const KelError& error);
void ReportUnexpected(const char* what);

// The program file's full path, through the wide API (an ANSI path would lose
// katakana under a non-Japanese code page).
std::wstring ModulePath();

// A path as the file system compares names: absolute, with the long name of
// every component given by its short 8.3 name, upper-cased. One file reached
// by different spellings gives one text.
std::wstring NormalisedPath(const std::wstring& path);

// The single-instance mutex: kept open from the start, so that another start
// of the same file finds it taken, until released (or the process ends).
void KeepInstanceMutex(HANDLE mutex);
// Lets a new start run while this process only finishes what it was doing.
void ReleaseInstanceMutex();

}  // namespace kel::win32
