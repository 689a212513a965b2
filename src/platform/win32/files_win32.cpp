// Whole-file access through the ANSI file functions, with failures turned
// into KelError carrying the path and the system's own error text.
#include <windows.h>

#include <string>

#include "platform/errors.h"
#include "platform/win32/data_win32.h"
#include "platform/win32/handles.h"  // SystemErrorText

namespace kel::win32 {

namespace {

// A rename refused for a moment (another program holds the file open: a
// virus scanner, an indexer, a reader that does not share delete access) is
// tried again for about a second before anything else is tried.
const DWORD kRenameRetryMs = 1000;
const DWORD kRenameRetryStepMs = 50;

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
    bool Close() { return ::CloseHandle(release()) != FALSE; }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE handle_;
};

[[noreturn]] void Fail(const std::string& operation, DWORD code) {
    throw KelError(KindOf(code), operation, {}, SystemErrorText(code));
}

// Only these two answers mean that nothing lies at the path.
bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// Whether anything (file or folder) lies at the path; other failures throw.
bool Present(const std::string& path, const std::string& operation) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD code = ::GetLastError();
    if (IsMissing(code)) return false;
    Fail(operation, code);
}

// The rest of an open file, from where it stands.
std::string ReadOpen(HANDLE file, const std::string& operation) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size)) Fail(operation, ::GetLastError());
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
        if (!::ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got,
                        nullptr)) {
            Fail(operation, ::GetLastError());
        }
        if (got == 0) break;  // the file shrank while we read it
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void KeepMarks(const std::string& path, DWORD attributes) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept) != 0) {
        ::SetFileAttributesA(path.c_str(), attributes & kept);
    }
}

}  // namespace

// Any file counts, whatever its attributes: a hidden or system phrase file
// holds the user's sayings as much as a normal one does. A path that cannot
// be looked at (access refused, a drive that does not answer) is not taken
// for missing: the defaults would then be written over the user's file.
bool Win32Files::FileExists(const std::string& path) const {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (IsMissing(code)) return false;
        Fail("looking for the file " + path, code);
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Shares write and delete access, so that a save (of this process or
// another) is never refused because the file is being read.
std::string Win32Files::ReadAll(const std::string& path) const {
    const std::string operation = "reading the file " + path;
    File file(::CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    return ReadOpen(file.get(), operation);
}

BOOL Win32Files::WriteChunk(HANDLE file, const char* data, DWORD size, DWORD* written) {
    return ::WriteFile(file, data, size, written, nullptr);
}

BOOL Win32Files::MoveIntoPlace(const std::string& from, const std::string& to, DWORD flags) {
    return ::MoveFileExA(from.c_str(), to.c_str(), flags);
}

BOOL Win32Files::CloseWritten(HANDLE file) { return ::CloseHandle(file); }

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

// A complete, flushed file at `path` (a temporary name); on failure nothing
// of it is left.
void Win32Files::WriteNewFile(const std::string& path, const std::string& bytes,
                              const std::string& operation) {
    File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation + " (through " + path + ")", ::GetLastError());
    try {
        WriteBytes(file.get(), bytes, operation);
        if (!::FlushFileBuffers(file.get())) Fail(operation, ::GetLastError());
        if (!file.Close()) Fail(operation, ::GetLastError());
    } catch (...) {
        if (file.ok()) file.Close();
        ::DeleteFileA(path.c_str());
        throw;
    }
}

// A refusal (access denied, a sharing violation) is tried again until about
// a second has passed; any other failure, or the last refusal, is returned.
bool Win32Files::MoveRetrying(const std::string& from, const std::string& to, DWORD flags,
                              DWORD* code) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (MoveIntoPlace(from, to, flags)) return true;
        *code = ::GetLastError();
        if (*code != ERROR_ACCESS_DENIED && *code != ERROR_SHARING_VIOLATION) return false;
        if (::GetTickCount() - start >= kRenameRetryMs) return false;
        ::Sleep(kRenameRetryStepMs);
    }
}

// Once the file holds the new bytes whole, a "<path>.old" beside it (left by
// a rewrite that failed earlier) is out of date: the next start would put
// the old text back over the new one.
void Win32Files::DropAsideCopy(const std::string& path, const std::string& operation) {
    const std::string aside = path + ".old";
    if (::DeleteFileA(aside.c_str())) return;
    const DWORD code = ::GetLastError();
    if (IsMissing(code)) return;
    throw KelError(KindOf(code), operation,
                   "the new text is saved, but " + aside +
                       " (the text before it) cannot be removed; remove it by hand, or the "
                       "next start puts that old text back",
                   SystemErrorText(code))
        .WithSaveOutcome(SaveOutcome::NewFileSaved);
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
    WriteNewFile(temp, bytes, operation);
    DWORD code = 0;
    if (MoveRetrying(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, &code)) {
        KeepMarks(path, attributes);  // the new file keeps the hidden and system marks
        DropAsideCopy(path, operation);
        return;
    }
    // The rewrite in place needs room for the file and one copy of it, not
    // for a third one.
    ::DeleteFileA(temp.c_str());
    // A standard user's writes to c:\windows are redirected to a per-user
    // store, and a rename into that folder may be refused there although the
    // file itself can be written. Then the file is rewritten where it lies.
    if (code != ERROR_ACCESS_DENIED) Fail(operation, code);
    RewriteInPlace(path, bytes, operation);
}

// The rewrite of last resort. The file is held open without sharing for the
// whole rewrite. Its old bytes are first kept whole in "<path>.old": written
// under a temporary name, flushed, then renamed, so that a "<path>.old" that
// exists is always complete and always means "a rewrite did not finish" (the
// next start puts it back). Only once the new bytes are written and flushed
// is it deleted. When the new bytes cannot be written (a full disk), the old
// ones are written back over them; if even that fails, "<path>.old" stays
// and the error says so. A "<path>.old" that is already there is the last
// good copy (the file itself may be torn): it is kept, never overwritten.
void Win32Files::RewriteInPlace(const std::string& path, const std::string& bytes,
                                const std::string& operation) {
    File file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    const std::string aside = path + ".old";
    const std::string keeping = operation + " (keeping the old bytes in " + aside + ")";
    const bool asideKept = Present(aside, keeping);
    std::string old;
    if (!asideKept) {
        old = ReadOpen(file.get(), keeping);
        const std::string temp = aside + ".new";
        WriteNewFile(temp, old, keeping);
        DWORD code = 0;
        if (!MoveRetrying(temp, aside, MOVEFILE_WRITE_THROUGH, &code)) {
            ::DeleteFileA(temp.c_str());
            Fail(keeping, code);
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
        bool restored = false;
        if (!asideKept) {
            try {
                overwrite(old);
                restored = true;
            } catch (const KelError&) {
            }
        }
        if (!restored) {
            throw KelError(error.kind(), error.operation(),
                           "the file is damaged; its old contents are kept whole in " + aside +
                               ", which the next start puts back in its place",
                           error.systemText())
                .WithSaveOutcome(SaveOutcome::OldFileAside);
        }
        CloseWritten(file.release());
        ::DeleteFileA(aside.c_str());
        throw;
    }
    // The new bytes are flushed: whatever the close says, they are the file.
    if (!CloseWritten(file.release())) {
        const DWORD code = ::GetLastError();
        ::DeleteFileA(aside.c_str());
        throw KelError(KindOf(code), operation,
                       "the new text was written and flushed, but closing the file failed",
                       SystemErrorText(code))
            .WithSaveOutcome(SaveOutcome::NewFileSaved);
    }
    DropAsideCopy(path, operation);
}

// Puts "<path>.old" back by a rename, or, where renames into the folder are
// refused, by copying its bytes over the file; only then is it removed. On
// any failure it stays, and the report names it as the good copy.
void Win32Files::RecoverInterruptedRewrite(const std::string& path) {
    const std::string aside = path + ".old";
    const std::string operation = "putting back the file " + path + " from " + aside;
    const auto fail = [&](DWORD code) {
        throw KelError(KindOf(code), operation,
                       "a save was cut short: " + aside + " holds the complete sayings, " + path +
                           " may be damaged. Nothing was written; copy " + aside + " over " +
                           path + " and delete " + aside + ".",
                       SystemErrorText(code));
    };
    const DWORD asideAttributes = ::GetFileAttributesA(aside.c_str());
    if (asideAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (IsMissing(code)) return;
        fail(code);
    }
    if ((asideAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;  // not ours
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    DWORD code = 0;
    if (MoveRetrying(aside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, &code)) {
        KeepMarks(path, attributes);
        return;
    }
    if (code != ERROR_ACCESS_DENIED) fail(code);
    std::string good;
    {
        File copy(::CreateFileA(aside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy.ok()) fail(::GetLastError());
        try {
            good = ReadOpen(copy.get(), operation);
        } catch (const KelError&) {
            fail(::GetLastError());
        }
    }
    File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) fail(::GetLastError());
    try {
        WriteBytes(file.get(), good, operation);
    } catch (const KelError&) {
        fail(::GetLastError());
    }
    if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get()) ||
        !CloseWritten(file.release())) {
        fail(::GetLastError());
    }
    if (!::DeleteFileA(aside.c_str())) fail(::GetLastError());
}

// The defaults: written whole under a temporary name, then renamed without
// replacing anything. A file that appeared meanwhile is the user's and stays.
// A file that appeared at the path meanwhile is someone's and is kept; a
// folder (or anything else that is not a file) in its place is an error.
void Win32Files::KeepExisting(const std::string& path, const std::string& operation) const {
    if (!FileExists(path)) {
        throw KelError(ErrorKind::AccessDenied, operation,
                       "something that is not a file is in its place");
    }
}

void Win32Files::CreateNew(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    const std::string temp = path + ".new";
    WriteNewFile(temp, bytes, operation);
    DWORD code = 0;
    if (MoveRetrying(temp, path, MOVEFILE_WRITE_THROUGH, &code)) return;
    ::DeleteFileA(temp.c_str());
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
        KeepExisting(path, operation);
        return;
    }
    if (code != ERROR_ACCESS_DENIED) Fail(operation, code);
    // Renames into the folder refused: created in place, create-only.
    File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
        code = ::GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
            KeepExisting(path, operation);
            return;
        }
        Fail(operation, code);
    }
    try {
        WriteBytes(file.get(), bytes, operation);
        if (!::FlushFileBuffers(file.get())) Fail(operation, ::GetLastError());
        if (!CloseWritten(file.release())) Fail(operation, ::GetLastError());
    } catch (...) {
        if (file.ok()) file.Close();
        ::DeleteFileA(path.c_str());  // ours, and incomplete
        throw;
    }
}

}  // namespace kel::win32
