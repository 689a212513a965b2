// Shared helpers of the host tests: a scratch folder per test, raw file
// access that does not go through the code under test, and the Win32Files
// with faults injected.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/data_win32.h"

namespace kel::host {

// A fresh folder under %TEMP%, removed with what it holds at the end.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& base = {});
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

// Plain reads and writes through stdio, independent of Win32Files.
void PutFile(const std::string& path, const std::string& bytes);
bool GetFile(const std::string& path, std::string* bytes);

// Win32Files with faults: renames onto the file refused (ERROR_ACCESS_DENIED,
// as a virtualised c:\windows may refuse them for a standard user, or as
// another program holding the file open does for a moment) while the rename
// of the aside copy to "<path>.old" goes through; writes that fail with a
// full disk; a failing close after a rewrite in place.
class FaultyFiles : public win32::Win32Files {
public:
    int refusedRenames = 0;   // refusals before a rename goes through; -1: all
    int failWritesFrom = 0;   // WriteChunk calls (from 1) that fail, inclusive
    int failWritesTo = 0;
    bool failClose = false;
    int renames = 0, writes = 0;  // calls so far

protected:
    BOOL WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written) override;
    BOOL MoveIntoPlace(const std::string& from, const std::string& to, DWORD flags) override;
    BOOL CloseWritten(HANDLE file) override;
};

class RenameRefusingFiles : public FaultyFiles {
public:
    RenameRefusingFiles() { refusedRenames = -1; }
};

// Saves `size` bytes over `path` and ends the process without any clean-up
// once `dieAfter` bytes have been written (renames onto the file refused
// when `refuse`). Returns only if it did not die.
int DieWhileSaving(const std::string& path, unsigned long dieAfter, unsigned long size,
                   bool refuse);

// The module's own path, for running it again as a child.
std::string OwnPath();

}  // namespace kel::host
