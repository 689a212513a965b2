// The profile-string functions over one INI file, with the rules of
// data/ini_text.h and the file replaced whole on every write, never edited
// where it lies.
#include "data/ini_text.h"
#include "platform/errors.h"
#include "platform/linux/data_linux.h"

namespace kel::posix {

namespace {
const std::size_t kBufferSize = 255;  // the buffer the program has always passed
}

// A file that cannot be read serves the default, as the system function's
// does.
std::string PosixProfile::GetString(const std::string& path, const std::string& section,
                                    const std::string& key,
                                    const std::string& defaultText) const {
    std::string bytes;
    bool present = false;
    try {
        present = files_.FileExists(path);
        if (present) bytes = files_.ReadAll(path);
    } catch (const KelError&) {
        present = false;
    }
    return IniGetString(present ? &bytes : nullptr, section, key, defaultText, kBufferSize);
}

void PosixProfile::WriteStringOrThrow(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    const bool present = files_.FileExists(path);
    const std::string before = present ? files_.ReadAll(path) : std::string();
    const std::string after = IniSetString(before, section, key, value);
    if (present && after == before) return;
    files_.ReplaceAll(path, after);
}

void PosixProfile::WriteString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& value) {
    try {
        WriteStringOrThrow(path, section, key, value);
    } catch (const KelError&) {
        // The program never looks at the result of a profile write.
    }
}

}  // namespace kel::posix
