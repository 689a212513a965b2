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

}  // namespace

// Any file counts, whatever its attributes: a hidden or system phrase file
// holds the user's sayings as much as a normal one does.
bool Win32Files::FileExists(const std::string& path) const {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

BOOL Win32Files::WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written) {
    return ::WriteFile(file, data, size, written, nullptr);
}

BOOL Win32Files::MoveIntoPlace(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void Win32Files::WriteBytes(HANDLE file, const std::string& bytes, const std::string& operation) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteChunk(file, bytes.data() + done, chunk, &written)) {
            Fail(operation, ::GetLastError());
        }
        if (written == 0) Fail(operation, ERROR_WRITE_FAULT);
        done += written;
    }
}

// The new bytes go to "<path>.new" first; only a complete, flushed copy
// replaces the file, so a full disk, a refused write or a process that dies
// part-way leaves the old file as it was. A "<path>.new" left behind by an
// interrupted save is never read and is overwritten by the next save.
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
    if (MoveIntoPlace(temp, path)) {
        // The new file keeps the old one's hidden and system marks.
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept) != 0) {
            ::SetFileAttributesA(path.c_str(), attributes & kept);
        }
        return;
    }
    const DWORD code = ::GetLastError();
    // A standard user's writes to c:\windows are redirected to a per-user
    // store, and a rename into that folder may be refused there although the
    // file itself can be written. Then the file is rewritten where it lies.
    if (code != ERROR_ACCESS_DENIED) {
        ::DeleteFileA(temp.c_str());
        Fail(operation, code);
    }
    try {
        RewriteInPlace(path, bytes, operation);
    } catch (...) {
        ::DeleteFileA(temp.c_str());
        throw;
    }
    ::DeleteFileA(temp.c_str());
}

// The rewrite of last resort. The file is held open without sharing for the
// whole rewrite; its old bytes are first copied, flushed, to "<path>.old" and
// kept in memory. Only once the new bytes are written and flushed is that
// copy deleted. When the new bytes cannot be written (a full disk), the old
// ones are written back over them; if even that fails, "<path>.old" is kept
// and the report names it.
void Win32Files::RewriteInPlace(const std::string& path, const std::string& bytes,
                                const std::string& operation) {
    File file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    std::string old;
    {
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(file.get(), &size)) Fail(operation, ::GetLastError());
        if (size.QuadPart > kMaxReadBytes) {
            throw KelError(ErrorKind::Io, operation, "the old file is too large to keep aside");
        }
        old.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < old.size()) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), &old[done], static_cast<DWORD>(old.size() - done), &got,
                            nullptr)) {
                Fail(operation, ::GetLastError());
            }
            if (got == 0) break;
            done += got;
        }
        old.resize(done);
    }

    const std::string aside = path + ".old";
    {
        File copy(::CreateFileA(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy.ok()) Fail(operation + " (keeping the old bytes in " + aside + ")", ::GetLastError());
        try {
            WriteBytes(copy.get(), old, operation + " (keeping the old bytes in " + aside + ")");
            if (!::FlushFileBuffers(copy.get()) || !copy.Close()) {
                Fail(operation + " (keeping the old bytes in " + aside + ")", ::GetLastError());
            }
        } catch (...) {
            if (copy.ok()) copy.Close();
            ::DeleteFileA(aside.c_str());
            throw;
        }
    }

    // Writes `content` over the whole file, cut to its length, flushed.
    const auto overwrite = [&](const std::string& content) {
        LARGE_INTEGER zero{};
        if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_BEGIN)) {
            Fail(operation, ::GetLastError());
        }
        WriteBytes(file.get(), content, operation);
        if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get())) {
            Fail(operation, ::GetLastError());
        }
    };
    try {
        overwrite(bytes);
    } catch (const KelError& error) {
        try {
            overwrite(old);
        } catch (const KelError&) {
            throw KelError(error.kind(), error.operation(),
                           "the old contents are kept in " + aside, error.systemText());
        }
        file.Close();
        ::DeleteFileA(aside.c_str());
        throw;
    }
    if (!file.Close()) Fail(operation, ::GetLastError());
    ::DeleteFileA(aside.c_str());
}

}  // namespace kel::win32
