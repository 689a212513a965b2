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
    // file as it was, unless a rewrite in place was cut short).
    virtual void ReplaceAll(const std::string& path, const std::string& bytes) = 0;

    // A "<path>.old" beside the file means a rewrite in place did not finish;
    // it holds the complete old contents. Puts it back as `path` and removes
    // it; does nothing when there is none. Throws KelError naming the file that
    // holds the good copy when it cannot.
    virtual void RecoverInterruptedRewrite(const std::string& path) = 0;
    // Writes a new file at `path`, which was found missing. A file that appears
    // there meanwhile is kept as it is and nothing is written.
    virtual void CreateNew(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kel
