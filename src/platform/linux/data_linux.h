// The data files on Linux: whole-file access with a safe replace, the
// profile-string functions over an INI file, and code page 932 through iconv.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace kel::posix {

class PosixFiles : public Files {
public:
    // A regular file at that path (a symbolic link is followed), whatever its
    // mode. Only a missing file or directory counts as missing; any other
    // failure to look is an error.
    bool FileExists(const std::string& path) const override;
    std::string ReadAll(const std::string& path) const override;
    // Writes a temporary file beside `path`, flushes it and renames it over
    // `path` (the target of a symbolic link, which stays a link, also one
    // whose target is gone where its folder is there); the mode of the old
    // file is kept. On any failure the old file is as it was and the
    // temporary file is gone. A file that cannot be replaced by a rename
    // (EBUSY, EXDEV: mounted on its own) is rewritten in place under a journal.
    void ReplaceAll(const std::string& path, const std::string& bytes) override;

    // The journal's rules (Files); a journal is locked (flock) by the save
    // that writes it, and one that is locked is left alone.
    void RecoverInterruptedRewrite(const std::string& path) override;
    // Writes a new file at `path`, which was found missing. A file that appears
    // there meanwhile is kept as it is and nothing is written.
    void CreateNew(const std::string& path, const std::string& bytes) override;

protected:
    // The calls a save depends on, virtual so that tests can make them fail
    // as a full disk or a refused rename would, or end the process part-way;
    // they return what the system call returns and leave errno set.
    // CloseWritten closes a file that was rewritten in place.
    virtual ssize_t WriteChunk(int fd, const char* data, std::size_t size);
    virtual int RenameIntoPlace(const std::string& from, const std::string& to);
    virtual bool CloseWritten(int fd);

private:
    // Writes `bytes` to a new temporary file in the directory of `path` and
    // flushes it; returns its name. Removes it and throws on failure. With
    // `keep`, the file stays open, locked, in *keep.
    std::string WriteTemporary(const std::string& path, const std::string& bytes, mode_t mode,
                               bool keepMode, const std::string& operation,
                               int* keep = nullptr);
    void WriteFd(int fd, const std::string& bytes, const std::string& operation);
    void OverwriteFd(int fd, const std::string& bytes, const std::string& operation);
    bool ReplaceByRename(const std::string& target, const std::string& bytes,
                         const std::string& operation);
    void RewriteInPlace(const std::string& target, const std::string& bytes,
                        const std::string& operation);
    static int RemoveJournal(int journal, const std::string& name);
};

// GetPrivateProfileStringA and WritePrivateProfileStringA over a file in
// code page 932 with CR LF line ends (data/ini_text.h); a write goes through
// the safe replace and, like the system function's, its failure is not
// reported.
class PosixProfile : public Profile {
public:
    explicit PosixProfile(Files& files) : files_(files) {}
    std::string GetString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText) const override;
    void WriteString(const std::string& path, const std::string& section,
                     const std::string& key, const std::string& value) override;
    // The same write with its failure thrown as KelError.
    void WriteStringOrThrow(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value);

private:
    Files& files_;
};

class IconvCodec : public Codec {
public:
    std::u16string Decode(const std::string& bytes) const override;
    bool Encode(const std::u16string& text, std::string& bytes,
                std::u16string* unrepresentable = nullptr) const override;
};

}  // namespace kel::posix

namespace kel::posix {

// The directory of the two data files: $XDG_CONFIG_HOME/kel, or
// ~/.config/kel when that variable is unset, empty or not an absolute path
// (the home from $HOME, else the password database). It and any missing
// parent are created, mode 0700. Throws KelError when it cannot be made.
std::string PrepareDataDirectory();

}  // namespace kel::posix
