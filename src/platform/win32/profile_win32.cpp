// The profile-string functions, called as the settings have always been read
// and written: a buffer of 255 blanks, size 255; write results not examined.
#include <windows.h>

#include <cstring>

#include "platform/win32/data_win32.h"

namespace kel::win32 {

namespace {
const DWORD kBufferSize = 255;
}

std::string Win32Profile::GetString(const std::string& path, const std::string& section,
                                    const std::string& key,
                                    const std::string& defaultText) const {
    char buffer[kBufferSize + 1];
    std::memset(buffer, ' ', kBufferSize);
    buffer[kBufferSize] = '\0';
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer,
                               kBufferSize, path.c_str());
    // The value ends at the NUL the function puts after it; the blanks behind
    // it are not part of it.
    return std::string(buffer, ::strnlen(buffer, kBufferSize));
}

void Win32Profile::WriteString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& value) {
    ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
}

}  // namespace kel::win32
