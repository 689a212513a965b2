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

// Win32Files whose rename into place is refused (ERROR_ACCESS_DENIED), as a
// virtualised c:\windows may refuse it for a standard user.
class RenameRefusingFiles : public win32::Win32Files {
protected:
    BOOL MoveIntoPlace(const std::string&, const std::string&) override {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
};

// Saves `size` bytes over `path` and ends the process without any clean-up
// once `dieAfter` bytes have been written. Returns only if it did not die.
int DieWhileSaving(const std::string& path, unsigned long dieAfter, unsigned long size);

// The module's own path, for running it again as a child.
std::string OwnPath();

}  // namespace kel::host
