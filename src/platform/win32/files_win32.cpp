// Whole-file access through the ANSI file functions, with failures turned
// into KelError carrying the path and the system's own error text.
#include <windows.h>

#include <string>

#include "platform/errors.h"
#include "platform/journal.h"
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

// A save's complete copy before it replaces the file: a name only the saver
// gives, so that a user's own "kel.dat.new" is never written over or removed.
std::string TemporaryPath(const std::string& path) { return path + ".kel-new"; }

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

// A folder lies at the path.
bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

void Win32Files::WriteBytes(HANDLE file, const char* bytes, std::size_t size,
                            const std::string& operation) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t left = size - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteChunk(file, bytes + done, chunk, &written)) {
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
        WriteBytes(file.get(), bytes.data(), bytes.size(), operation);
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

// The bytes into place by the safe replace: a complete, flushed "<path>.kel-new"
// renamed over the file, which keeps its hidden and system marks. Returns
// false, having removed "<path>.kel-new", when renames into the folder are
// refused; throws on any other failure, the file as it was.
bool Win32Files::ReplaceByRename(const std::string& path, const std::string& bytes,
                                 const std::string& operation) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const std::string temp = TemporaryPath(path);
    WriteNewFile(temp, bytes, operation);
    DWORD code = 0;
    if (MoveRetrying(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, &code)) {
        KeepMarks(path, attributes);
        return true;
    }
    // The rewrite in place needs room for the file and its journal, not for
    // a third copy.
    ::DeleteFileA(temp.c_str());
    if (code != ERROR_ACCESS_DENIED) Fail(operation, code);
    return false;
}

// The one place a journal is removed. It is emptied first through the handle
// that holds it, so that one that then cannot be deleted no longer checks out
// and is never acted on; then closed and deleted. Returns 0, or why a journal
// that may still check out is left.
DWORD Win32Files::RemoveJournal(HANDLE journal, const std::string& name) {
    LARGE_INTEGER zero{};
    const bool emptied =
        ::SetFilePointerEx(journal, zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(journal);
    ::CloseHandle(journal);
    if (::DeleteFileA(name.c_str()) || emptied) return 0;
    return ::GetLastError();
}

// A journal that no one holds is looked at; one that a save holds open (a
// sharing violation) is left to it, and so is a folder of that name, which is
// nothing of ours.
void Win32Files::RecoverInterruptedRewrite(const std::string& path) {
    const std::string name = JournalPath(path);
    const std::string operation = "finishing a save of " + path + " cut short, by " + name;
    File journal(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.ok()) {
        const DWORD code = ::GetLastError();
        if (IsMissing(code) || code == ERROR_SHARING_VIOLATION || IsFolder(name)) return;
        Fail(operation + "; nothing was changed", code);
    }
    const std::string record = ReadOpen(journal.get(), operation);
    const bool present = FileExists(path);
    const std::string now = present ? ReadAll(path) : std::string();
    std::string old;
    const JournalVerdict verdict = JudgeJournal(record, present ? &now : nullptr, &old);
    if (verdict == JournalVerdict::PutBack) {
        try {
            if (!ReplaceByRename(path, old, operation)) {
                File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
                if (!file.ok()) Fail(operation, ::GetLastError());
                OverwriteOpen(file.get(), old, operation);
                if (!CloseWritten(file.release())) Fail(operation, ::GetLastError());
            }
        } catch (KelError& error) {
            error.WithDetail(path + " may be damaged; its contents before that save are whole in " +
                             name + ", which every start tries again to put back");
            error.WithSaveOutcome(SaveOutcome::OldFileAside);
            throw;
        }
    }
    const DWORD code = RemoveJournal(journal.release(), name);
    if (code != 0) {
        throw KelError(KindOf(code), operation,
                       path + (verdict == JournalVerdict::Broken ? " is untouched, but "
                                                                 : " is whole, but ") +
                           name + " cannot be removed; delete it",
                       SystemErrorText(code));
    }
}

// The new bytes go to "<path>.kel-new" first; only a complete, flushed copy
// replaces the file, so a full disk, a refused write or a process that dies
// part-way leaves the old file as it was. A "<path>.kel-new" left behind by an
// interrupted save is never read and is overwritten by the next save. A
// journal left by an earlier save is dealt with first.
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
    RecoverInterruptedRewrite(path);
    // A standard user's writes to c:\windows are redirected to a per-user
    // store, and a rename into that folder may be refused there although the
    // file itself can be written. Then the file is rewritten where it lies.
    if (!ReplaceByRename(path, bytes, operation)) RewriteInPlace(path, bytes, operation);
}

// Writes `bytes` over the whole of the open file, cut to their length, flushed.
void Win32Files::OverwriteOpen(HANDLE file, const std::string& bytes,
                               const std::string& operation) {
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) Fail(operation, ::GetLastError());
    WriteBytes(file, bytes.data(), bytes.size(), operation);
    if (!::SetEndOfFile(file) || !::FlushFileBuffers(file)) Fail(operation, ::GetLastError());
}

// The rewrite of last resort. The file is held open without sharing for the
// whole rewrite. Its journal is created without sharing (a second save, or
// another copy of the program, can neither open nor replace it), written
// whole and flushed before the file is touched, and removed only once the new
// bytes are flushed. When the new bytes cannot be written (a full disk), the
// old ones are written back; if even that fails, the journal stays and the
// next start puts them back.
void Win32Files::RewriteInPlace(const std::string& path, const std::string& bytes,
                                const std::string& operation) {
    File file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) Fail(operation, ::GetLastError());
    const std::string old = ReadOpen(file.get(), operation);
    const std::string name = JournalPath(path);
    File journal(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.ok()) {
        const DWORD code = ::GetLastError();
        throw KelError(KindOf(code), operation,
                       "the file is unchanged; " + name +
                           (IsFolder(name) ? " is a folder" : " cannot be made"),
                       SystemErrorText(code));
    }
    const JournalHeader header = MakeJournalHeader(old, bytes);
    try {
        WriteBytes(journal.get(), header.bytes, sizeof header.bytes, operation);
        WriteBytes(journal.get(), old.data(), old.size(), operation);
        if (!::FlushFileBuffers(journal.get())) Fail(operation, ::GetLastError());
    } catch (const KelError&) {
        RemoveJournal(journal.release(), name);  // the file is unchanged: it settles
        throw;
    }
    try {
        OverwriteOpen(file.get(), bytes, operation);
    } catch (KelError& error) {
        bool restored = true;
        try {
            OverwriteOpen(file.get(), old, operation);
        } catch (const KelError&) {
            restored = false;
        }
        if (restored) {
            CloseWritten(file.release());
            RemoveJournal(journal.release(), name);  // the file holds the old bytes: it settles
            error.WithDetail("the old text was written back");
        } else {
            error.WithDetail("the file is damaged; its old contents are kept whole in " + name +
                             ", which the next start puts back in its place")
                .WithSaveOutcome(SaveOutcome::OldFileAside);
        }
        throw;
    }
    // The new bytes are flushed: whatever the close says, they are the file.
    const DWORD closed = CloseWritten(file.release()) ? 0 : ::GetLastError();
    const DWORD removed = RemoveJournal(journal.release(), name);
    const DWORD code = closed != 0 ? closed : removed;
    if (code != 0) {
        throw KelError(KindOf(code), operation,
                       closed != 0 ? "the new text was written and flushed, but closing the file failed"
                                   : "the new text is saved, but its journal cannot be removed; the "
                                     "next start does",
                       SystemErrorText(code))
            .WithSaveOutcome(SaveOutcome::NewFileSaved);
    }
}

// The defaults: written whole under a temporary name, then renamed without
// replacing anything. A file that appeared at the path meanwhile is someone's
// and is kept; a folder (or anything else that is not a file) in its place is
// an error.
void Win32Files::CreateNew(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    const std::string temp = TemporaryPath(path);
    WriteNewFile(temp, bytes, operation);
    DWORD code = 0;
    if (MoveRetrying(temp, path, MOVEFILE_WRITE_THROUGH, &code)) return;
    ::DeleteFileA(temp.c_str());
    if (code == ERROR_ACCESS_DENIED) {
        // Renames into the folder refused: created in place, create-only.
        File file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.ok()) {
            try {
                WriteBytes(file.get(), bytes.data(), bytes.size(), operation);
                if (!::FlushFileBuffers(file.get())) Fail(operation, ::GetLastError());
                if (!CloseWritten(file.release())) Fail(operation, ::GetLastError());
            } catch (...) {
                if (file.ok()) file.Close();
                ::DeleteFileA(path.c_str());  // ours, and incomplete
                throw;
            }
            return;
        }
        code = ::GetLastError();
    }
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) Fail(operation, code);
    if (!FileExists(path)) {
        throw KelError(ErrorKind::AccessDenied, operation,
                       "something that is not a file is in its place");
    }
}

}  // namespace kel::win32
