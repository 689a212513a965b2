// Whole-file access to the two data files. Paths are ANSI texts such as
// "c:\windows\kel.dat". Failures throw KelError with the path and the
// system's error text.
#pragma once

#include <string>

namespace kel {

class Files {
public:
    virtual ~Files() = default;

    // Whether a file lies at exactly this path, whatever its attributes: a
    // hidden, system or read-only file is there like any other (the user's
    // sayings must never be taken for missing). A directory is not a file.
    // Only "file not found" and "path not found" mean missing; any other
    // failure to look throws KelError.
    virtual bool FileExists(const std::string& path) const = 0;

    virtual std::string ReadAll(const std::string& path) const = 0;

    // Writes the bytes to a new file beside `path` and replaces `path` with it
    // only once it is complete; the error names the file and the reason, and
    // its saveOutcome() says what the file holds after a failure (the old
    // file as it was, unless a rewrite in place was cut short). Where the
    // file cannot be replaced by a rename it is rewritten in place under a
    // journal.
    virtual void ReplaceAll(const std::string& path, const std::string& bytes) = 0;

    // Deals with the journal a rewrite in place of `path` left when it was cut
    // short (platform/journal.h), by its rules: one that does not check out is
    // removed and the file left alone; one whose file holds the old or the new
    // bytes whole is removed; otherwise the old bytes are put back through the
    // safe replace, then it is removed. A journal a running save holds is left
    // to it. Throws KelError saying what the file holds when it cannot finish.
    virtual void RecoverInterruptedRewrite(const std::string& path) = 0;
    // Writes a new file at `path`, which was found missing. A file that appears
    // there meanwhile is kept as it is and nothing is written.
    virtual void CreateNew(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kel
