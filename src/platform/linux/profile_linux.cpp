// The profile-string functions over one INI file, with the rules of
// data/ini_text.h and the file replaced whole on every write, never edited
// where it lies.
#include <cstdio>

#include "data/ini_text.h"
#include "platform/errors.h"
#include "platform/linux/data_linux.h"

namespace kel::posix {

namespace {
const std::size_t kBufferSize = 255;  // the buffer the program has always passed
}

// A missing file serves the default, as the system function's does; one that
// is there but cannot be read is an error, never taken for the defaults.
std::string PosixProfile::GetString(const std::string& path, const std::string& section,
                                    const std::string& key,
                                    const std::string& defaultText) const {
    std::string bytes;
    const bool present = files_.FileExists(path);
    if (present) bytes = files_.ReadAll(path);
    return IniGetString(present ? &bytes : nullptr, section, key, defaultText, kBufferSize);
}

void PosixProfile::WriteStringOrThrow(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    // A save of the file cut short is finished first: the new text is made
    // from what the file holds after that, never from its torn bytes.
    files_.RecoverInterruptedRewrite(path);
    const bool present = files_.FileExists(path);
    const std::string before = present ? files_.ReadAll(path) : std::string();
    const std::string after = IniSetString(before, section, key, value);
    if (present && after == before) return;
    files_.ReplaceAll(path, after);
}

// The program never looks at the result of a profile write; a failure is
// said in one line on stderr.
void PosixProfile::WriteString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& value) {
    try {
        WriteStringOrThrow(path, section, key, value);
    } catch (const KelError& error) {
        std::string line = "kel: " + key + " not saved: " + error.operation();
        if (!error.detail().empty()) line += ": " + error.detail();
        if (!error.systemText().empty()) line += " (" + error.systemText() + ")";
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace kel::posix
