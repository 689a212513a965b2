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
    virtual bool FileExists(const std::string& path) const = 0;

    virtual std::string ReadAll(const std::string& path) const = 0;

    // Writes the bytes to a new file beside `path` and replaces `path` with it
    // only once it is complete; on any failure the old file stays as it was,
    // and the error names the file and the reason.
    virtual void ReplaceAll(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kel
