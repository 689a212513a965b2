// The profile-string functions over one INI file.
#pragma once

#include <string>

namespace kel {

class Profile {
public:
    virtual ~Profile() = default;

    // GetPrivateProfileStringA(section, key, defaultText, buffer of 255
    // characters first filled with blanks, 255, path): the value text, or the
    // default when the file, section or key is missing.
    virtual std::string GetString(const std::string& path, const std::string& section,
                                  const std::string& key,
                                  const std::string& defaultText) const = 0;

    // WritePrivateProfileStringA; the result is not looked at.
    virtual void WriteString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

}  // namespace kel
