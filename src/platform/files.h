// Whole-file access to the two data files. Paths are ANSI texts such as
// "c:\windows\kel.dat". Failures throw KelError with the path and the
// system's error text.
#pragma once

#include <string>

namespace kel {

class Files {
public:
    virtual ~Files() = default;

    // A directory search for exactly this path that matches normal files
    // only: a hidden or system file, or a directory, counts as missing.
    virtual bool NormalFileExists(const std::string& path) const = 0;

    virtual std::string ReadAll(const std::string& path) const = 0;

    // Creates or truncates the file and writes the bytes.
    virtual void WriteAll(const std::string& path, const std::string& bytes) = 0;

    // Writes the bytes to a new file beside `path` and replaces `path` with it
    // only once it is complete; on any failure the old file stays as it was.
    virtual void ReplaceAll(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace kel
