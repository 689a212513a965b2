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

// Faults: renames onto the file refused, WriteChunk calls failFrom..failTo fail.
class FaultyFiles : public win32::Win32Files {
public:
    int refusals = 0, failFrom = 0, failTo = 0, renames = 0, writes = 0;  // refusals -1: all
    bool failClose = false;

protected:
    BOOL WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written) override {
        ++writes;
        if (writes < failFrom || writes > failTo) return Win32Files::WriteChunk(file, data, size, written);
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    BOOL MoveIntoPlace(const std::string& from, const std::string& to, DWORD flags) override {
        ++renames;
        if (refusals == 0) return Win32Files::MoveIntoPlace(from, to, flags);
        if (refusals > 0) --refusals;
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    BOOL CloseWritten(HANDLE file) override {
        const BOOL closed = Win32Files::CloseWritten(file);
        if (failClose) ::SetLastError(ERROR_WRITE_FAULT);
        return closed && !failClose;
    }
};
struct RenameRefusingFiles : FaultyFiles { RenameRefusingFiles() { refusals = -1; } };

// Saves `size` bytes over `path` and ends the process without any clean-up
// in its `call`-th write once `bytes` of that write are written, or with
// `call` 0 when it closes the file rewritten in place (renames refused when
// `refuse`). Returns only if it did not die.
int DieWhileSaving(const std::string& path, int call, unsigned long bytes, unsigned long size,
                   bool refuse);

// The module's own path, for running it again as a child.
std::string OwnPath();

}  // namespace kel::host
