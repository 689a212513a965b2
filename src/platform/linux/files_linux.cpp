// Whole-file access through the POSIX calls, with failures turned into
// KelError carrying the path and the system's own error text.
#include <fcntl.h>
#include <sys/file.h>  // flock
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/journal.h"
#include "platform/linux/data_linux.h"

namespace kel::posix {

namespace {

// Larger than any phrase file the saver can hold (32,001 lines); refusing it
// gives a clear report instead of running out of memory.
const off_t kMaxReadBytes = 128L * 1024 * 1024;

ErrorKind KindOf(int error, bool pathItself) {
    switch (error) {
    case ENOENT: return pathItself ? ErrorKind::FileNotFound : ErrorKind::PathNotFound;
    case ENOTDIR: return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return ErrorKind::AccessDenied;
    case ENOSPC:
    case EDQUOT: return ErrorKind::DiskFull;
    default: return ErrorKind::Io;
    }
}

[[noreturn]] void Fail(int error, const std::string& operation, const std::string& detail = {},
                       bool pathItself = false) {
    throw KelError(KindOf(error, pathItself), operation, detail, std::strerror(error));
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes a rename in `directory` reach the disk. The rename itself is done by
// then and cannot be taken back, so a file system that cannot flush a
// directory only loses that guarantee; it is not reported.
void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A file descriptor closed on every path out; Close() reports a failure to
// close (data not written), the destructor only cleans up.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The whole of an open regular file.
std::string ReadFd(int fd, const std::string& operation) {
    struct stat st;
    if (::fstat(fd, &st) != 0) Fail(errno, operation);
    if (!S_ISREG(st.st_mode)) Fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, operation);
    if (st.st_size > kMaxReadBytes) {
        throw KelError(ErrorKind::Io, operation,
                       "the file holds " + std::to_string(st.st_size) +
                           " bytes, more than the " + std::to_string(kMaxReadBytes) +
                           " bytes the program reads");
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, &bytes[done], bytes.size() - done, static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail(errno, operation);
        }
        if (got == 0) break;  // the file shrank while we read it
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

// Where the bytes of `path` live: a link (a settings file kept elsewhere) is
// followed, also to a target that is gone.
std::string TargetOf(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string target = resolved;
        std::free(resolved);
        return target;
    }
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) return path;
    const std::string to(link, static_cast<std::size_t>(n));
    return to[0] == '/' ? to : DirectoryOf(path) + "/" + to;
}

}  // namespace

bool PosixFiles::FileExists(const std::string& path) const {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return false;
    Fail(error, "looking for the file " + path);
}

std::string PosixFiles::ReadAll(const std::string& path) const {
    const std::string operation = "reading the file " + path;
    // Not blocking: a pipe of that name must not hang the program.
    Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        const int error = errno;
        Fail(error, operation, {}, IsDirectory(DirectoryOf(path)));
    }
    return ReadFd(file.get(), operation);
}

ssize_t PosixFiles::WriteChunk(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}

bool PosixFiles::CloseWritten(int fd) { return ::close(fd) == 0; }

int PosixFiles::RenameIntoPlace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

// All of `bytes` through WriteChunk, from where the file stands.
void PosixFiles::WriteFd(int fd, const std::string& bytes, const std::string& operation) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = WriteChunk(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(errno, operation);
        }
        if (written == 0) Fail(EIO, operation);
        done += static_cast<std::size_t>(written);
    }
}

// The temporary file's name carries the process id: two savers (one per
// monitor) that close together each write their own and never write into the
// other's. An earlier one of ours, left by a process that died part-way, is
// replaced. With `keep`, it is returned open (and its name removed by the
// caller); otherwise closed.
std::string PosixFiles::WriteTemporary(const std::string& path, const std::string& bytes,
                                       mode_t mode, bool keepMode, const std::string& operation,
                                       int* keep) {
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    Fd file(::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, keepMode ? 0600 : mode));
    if (file.get() < 0) {
        const int error = errno;
        Fail(error, operation, "could not create " + temp);
    }
    try {
        // The old file's mode; a file system without modes keeps its own.
        if (keepMode) ::fchmod(file.get(), mode);
        if (keep != nullptr) ::flock(file.get(), LOCK_EX);
        WriteFd(file.get(), bytes, operation);
        if (::fsync(file.get()) != 0) Fail(errno, operation);
        if (keep != nullptr) {
            *keep = file.release();
        } else if (!file.Close()) {
            Fail(errno, operation);
        }
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    return temp;
}

// The bytes into place by one rename of a complete, flushed temporary file,
// which keeps the old file's mode. Returns false, the temporary file removed,
// where the file cannot be replaced by a rename (a file mounted on its own,
// as a container or a sandbox does); throws on any other failure, the file as
// it was.
bool PosixFiles::ReplaceByRename(const std::string& target, const std::string& bytes,
                                 const std::string& operation) {
    bool existed = false;
    mode_t mode = 0644;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) Fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, operation);
        existed = true;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        Fail(errno, operation);
    }
    const std::string temp = WriteTemporary(target, bytes, mode, existed, operation);
    if (RenameIntoPlace(temp, target) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        if (existed && (error == EBUSY || error == EXDEV)) return false;
        Fail(error, operation, existed ? "the file is unchanged" : std::string());
    }
    SyncDirectory(DirectoryOf(target));
    return true;
}

// A link whose target is gone is written through to where it points, when
// that folder is there; otherwise the link is kept and nothing is written.
void PosixFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    const std::string target = TargetOf(path);
    if (target != path && !IsDirectory(DirectoryOf(target))) {
        throw KelError(ErrorKind::PathNotFound, operation,
                       "it is a link to " + target + ", whose folder is missing; the link is kept");
    }
    // A file its owner made read-only is kept as it is, as on Windows, though
    // the folder would let a rename replace it.
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ((st.st_mode & 0222) == 0 || (::access(target.c_str(), W_OK) != 0 && errno == EACCES))) {
        throw KelError(ErrorKind::AccessDenied, operation, "the file is read-only", std::strerror(EACCES));
    }
    RecoverInterruptedRewrite(path);
    if (!ReplaceByRename(target, bytes, operation)) RewriteInPlace(target, bytes, operation);
}

// The one place a journal is removed: emptied first through the descriptor
// that holds it and its lock, so that one that then cannot be removed no
// longer checks out; then removed and closed. Returns 0, or the error that
// left a journal that may still check out.
int PosixFiles::RemoveJournal(int journal, const std::string& name) {
    const bool emptied = ::ftruncate(journal, 0) == 0;
    const int error = ::unlink(name.c_str()) == 0 || emptied ? 0 : errno;
    ::close(journal);
    SyncDirectory(DirectoryOf(name));
    return error;
}

// A journal whose lock a save holds is left to it; a folder or anything else
// that is not a file of that name is nothing of ours.
void PosixFiles::RecoverInterruptedRewrite(const std::string& path) {
    const std::string target = TargetOf(path);
    const std::string name = JournalPath(target);
    const std::string operation = "finishing a save of " + target + " cut short, by " + name;
    Fd journal(::open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (journal.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || error == EISDIR || error == ELOOP) return;
        Fail(error, operation, name + " cannot be opened; nothing was changed");
    }
    struct stat held, named;
    if (::flock(journal.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return;
        Fail(errno, operation, name + " cannot be locked; nothing was changed");
    }
    // The save it belonged to may have ended and removed it meanwhile.
    if (::fstat(journal.get(), &held) != 0 || !S_ISREG(held.st_mode) || held.st_nlink == 0 ||
        ::stat(name.c_str(), &named) != 0 || named.st_ino != held.st_ino ||
        named.st_dev != held.st_dev) {
        return;
    }
    const std::string record = ReadFd(journal.get(), operation);
    const bool present = FileExists(target);
    const std::string now = present ? ReadAll(target) : std::string();
    std::string old;
    const JournalVerdict verdict = JudgeJournal(record, present ? &now : nullptr, &old);
    if (verdict == JournalVerdict::PutBack) {
        try {
            if (!ReplaceByRename(target, old, operation)) {
                Fd file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
                if (file.get() < 0) Fail(errno, operation);
                OverwriteFd(file.get(), old, operation);
            }
        } catch (const KelError& error) {
            throw KelError(error.kind(), operation,
                           target + " may be damaged; its contents before that save are whole in " +
                               name + ", which every start tries again to put back",
                           error.systemText())
                .WithSaveOutcome(SaveOutcome::OldFileAside);
        }
    }
    const int error = RemoveJournal(journal.release(), name);
    if (error != 0) {
        Fail(error, operation,
             target + (verdict == JournalVerdict::Broken ? " was not touched"
                                                         : " holds its complete sayings") +
                 ", but " + name + " cannot be removed; delete it");
    }
}

// Writes `bytes` over the whole of the open file, cut to their length, flushed.
void PosixFiles::OverwriteFd(int fd, const std::string& bytes, const std::string& operation) {
    if (::lseek(fd, 0, SEEK_SET) != 0) Fail(errno, operation);
    WriteFd(fd, bytes, operation);
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
        Fail(errno, operation);
    }
}

// The rewrite of last resort. The journal is written whole and flushed under
// a temporary name, locked, and only then linked to its own name, which fails
// if anything has it: a journal at that name is always complete, and locked
// for as long as its save runs. The file is touched only after that; the
// journal is removed once the new bytes are flushed. When the new bytes
// cannot be written (a full disk), the old ones are written back; if even
// that fails, the journal stays and the next start puts them back.
void PosixFiles::RewriteInPlace(const std::string& target, const std::string& bytes,
                                const std::string& operation) {
    Fd file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0) Fail(errno, operation, "the file is unchanged");
    const std::string old = ReadFd(file.get(), operation);
    const std::string name = JournalPath(target);
    const JournalHeader header = MakeJournalHeader(old, bytes);
    int held = -1;
    const std::string temp = WriteTemporary(
        name, std::string(header.bytes, sizeof header.bytes) + old, 0600, false, operation, &held);
    Fd journal(held);
    const int linked = ::link(temp.c_str(), name.c_str()) == 0 ? 0 : errno;
    ::unlink(temp.c_str());
    if (linked != 0) {
        Fail(linked, operation,
             "the file is unchanged; " + name +
                 (IsDirectory(name) ? " is a folder" : " cannot be made"));
    }
    SyncDirectory(DirectoryOf(name));
    try {
        OverwriteFd(file.get(), bytes, operation);
    } catch (const KelError& error) {
        try {
            OverwriteFd(file.get(), old, operation);
        } catch (const KelError&) {
            throw KelError(error.kind(), error.operation(),
                           "the file is damaged; its old contents are kept whole in " + name +
                               ", which the next start puts back in its place",
                           error.systemText())
                .WithSaveOutcome(SaveOutcome::OldFileAside);
        }
        RemoveJournal(journal.release(), name);  // the file holds the old bytes: it settles
        throw KelError(error.kind(), error.operation(), "the old text was written back",
                       error.systemText());
    }
    const int closed = CloseWritten(file.release()) ? 0 : errno;
    const int removed = RemoveJournal(journal.release(), name);
    if (closed == 0 && removed == 0) return;
    throw KelError(KindOf(closed ? closed : removed, false), operation,
                   closed ? "the new text was written and flushed, but closing the file failed"
                          : "the new text is saved, but " + name +
                                " cannot be removed; the next start removes it",
                   std::strerror(closed ? closed : removed))
        .WithSaveOutcome(SaveOutcome::NewFileSaved);
}

// The file is written whole under a temporary name and then given its name
// only if that name is still free: renameat2 without replacing, or, where the
// file system lacks that, a hard link.
void PosixFiles::CreateNew(const std::string& path, const std::string& bytes) {
    const std::string operation = "creating the file " + path;
    const std::string temp = WriteTemporary(path, bytes, 0644, false, operation);
    int error = 0;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        SyncDirectory(DirectoryOf(path));
        return;
    }
    error = errno;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
        error = ::link(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
        ::unlink(temp.c_str());
        if (error == 0) {
            SyncDirectory(DirectoryOf(path));
            return;
        }
    } else {
        ::unlink(temp.c_str());
    }
    if (error == EEXIST) {
        if (FileExists(path)) return;  // someone else's file: kept as it is
        throw KelError(ErrorKind::AccessDenied, operation,
                       "something that is not a file is in its place");
    }
    Fail(error, operation);
}

}  // namespace kel::posix
