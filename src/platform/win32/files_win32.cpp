// Whole-file access through the ANSI file functions, with failures turned
// into KelError carrying the path and the system's own error text.
#include <windows.h>

#include <string>

#include "platform/errors.h"
#include "platform/win32/data_win32.h"
#include "platform/win32/handles.h"  // SystemErrorText

namespace kel::win32 {

namespace {

// Larger than any phrase file the saver can hold (32,001 lines); refusing it
// gives a clear report instead of running out of address space.
const LONGLONG kMaxReadBytes = 128LL * 1024 * 1024;

ErrorKind KindOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return ErrorKind::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return ErrorKind::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return ErrorKind::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ErrorKind::DiskFull;
    default: return ErrorKind::Io;
    }
}

// An open file; INVALID_HANDLE_VALUE when the open failed. Close() reports a
// failure to close (data not written), the destructor only cleans up.
class File {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() {
        if (ok()) ::CloseHandle(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(h) != FALSE;
    }

private:
    HANDLE handle_;
};

[[noreturn]] void Fail(const std::string& operation, DWORD code) {
    throw KelError(KindOf(code), operation, {}, SystemErrorText(code));
}

void WriteBytes(HANDLE file, const std::string& bytes, const std::string& operation) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            Fail(operation, ::GetLastError());
        }
        if (written == 0) Fail(operation, ERROR_WRITE_FAULT);
        done += written;
    }
}

}  // namespace

// The search matches normal files only: like a directory search for normal
// files, a hidden or system file, or a directory, is not found.
bool Win32Files::NormalFileExists(const std::string& path) const {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    const DWORD notNormal =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return (found.dwFileAttributes & notNormal) == 0;
}

std::string Win32Files::ReadAll(const std::string& path) const {
    const std::string operation = "reading the file " + path;
    File file(::CreateFileA(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) Fail(operation, ::GetLastError());
    if (size.QuadPart > kMaxReadBytes) {
        throw KelError(ErrorKind::Io, operation,
                       "the file holds " + std::to_string(size.QuadPart) +
                           " bytes, more than the " + std::to_string(kMaxReadBytes) +
                           " bytes the program reads");
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got,
                        nullptr)) {
            Fail(operation, ::GetLastError());
        }
        if (got == 0) break;  // the file shrank while we read it
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

// Opens the file as it is (a hidden one too) or creates it, then cuts it to
// the new bytes.
void Win32Files::WriteAll(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    if (!::SetEndOfFile(file.get())) Fail(operation, ::GetLastError());
    WriteBytes(file.get(), bytes, operation);
    if (!file.Close()) Fail(operation, ::GetLastError());
}

// The new bytes go to "<path>.new" first; only a complete, flushed copy
// replaces the file, so a full disk or a refused write leaves the old file
// as it was.
void Win32Files::ReplaceAll(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    // Windows refuses to replace a read-only file (the save then fails with the
    // old file intact); Wine's MoveFileEx replaces it regardless. Asking first
    // gives the same refusal everywhere, before anything is written.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw KelError(ErrorKind::AccessDenied, operation, "the file is read-only",
                       SystemErrorText(ERROR_ACCESS_DENIED));
    }
    const std::string temp = path + ".new";
    {
        File file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.ok()) {
            const DWORD code = ::GetLastError();
            Fail(operation + " (through " + temp + ")", code);
        }
        try {
            WriteBytes(file.get(), bytes, operation);
            if (!::FlushFileBuffers(file.get())) Fail(operation, ::GetLastError());
            if (!file.Close()) Fail(operation, ::GetLastError());
        } catch (...) {
            if (file.ok()) file.Close();
            ::DeleteFileA(temp.c_str());
            throw;
        }
    }
    if (!::MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        Fail(operation, code);
    }
}

}  // namespace kel::win32
