// Whole-file access through the POSIX calls, with failures turned into
// KelError carrying the path and the system's own error text.
#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/errors.h"
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
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

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
    struct stat st;
    if (::fstat(file.get(), &st) != 0) Fail(errno, operation);
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
        const ssize_t got = ::read(file.get(), &bytes[done], bytes.size() - done);
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

ssize_t PosixFiles::WriteChunk(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}

int PosixFiles::RenameIntoPlace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

// The temporary file's name carries the process id: two savers (one per
// monitor) that close together each write their own and never write into the
// other's. An earlier one of ours, left by a process that died part-way, is
// replaced.
std::string PosixFiles::WriteTemporary(const std::string& path, const std::string& bytes,
                                       mode_t mode, bool keepMode, const std::string& operation) {
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    Fd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, keepMode ? 0600 : mode));
    if (file.get() < 0) {
        const int error = errno;
        Fail(error, operation, "could not create " + temp);
    }
    try {
        // The old file's mode; a file system without modes keeps its own.
        if (keepMode) ::fchmod(file.get(), mode);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = WriteChunk(file.get(), bytes.data() + done, bytes.size() - done);
            if (written < 0) {
                if (errno == EINTR) continue;
                Fail(errno, operation);
            }
            if (written == 0) Fail(EIO, operation);
            done += static_cast<std::size_t>(written);
        }
        if (::fsync(file.get()) != 0) Fail(errno, operation);
        if (!file.Close()) Fail(errno, operation);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    return temp;
}

// The new bytes go to a temporary file first; only a complete, flushed copy
// replaces the file, by one rename, so a full disk, a refused write or a
// process that dies part-way leaves the old file as it was.
void PosixFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
    const std::string operation = "writing the file " + path;
    // A link (a settings file kept elsewhere) stays a link: its target is
    // replaced.
    std::string target = path;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    bool existed = false;
    mode_t mode = 0644;
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
        Fail(error, operation, existed ? "the file is unchanged" : std::string());
    }
    SyncDirectory(DirectoryOf(target));
}

void PosixFiles::RecoverInterruptedRewrite(const std::string& path) {
    const std::string old = path + ".old";
    struct stat st;
    if (::lstat(old.c_str(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return;
        Fail(error, "looking for " + old);
    }
    if (!S_ISREG(st.st_mode)) return;
    if (::rename(old.c_str(), path.c_str()) != 0) {
        const int error = errno;
        Fail(error, "putting back the file " + path + " from " + old,
             "a save was cut short: " + old + " holds the complete sayings, " + path +
                 " may be damaged. Nothing was written; copy " + old + " over " + path +
                 " and delete " + old + ".");
    }
    SyncDirectory(DirectoryOf(path));
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
