// The profile-string rules over the bytes of an INI file, as the Windows
// functions apply them to a Shift-JIS file: the lookup of
// GetPrivateProfileStringA and the one-key update of
// WritePrivateProfileStringA. Where the system provides those functions they
// are called instead; elsewhere these give the same results.
#pragma once

#include <cstddef>
#include <string>

namespace kel {

// What GetPrivateProfileStringA copies into a buffer of `bufferSize`
// characters: the key's value, or `defaultText` when `fileBytes` is null (no
// file), or the section or the key is missing.
std::string IniGetString(const std::string* fileBytes, const std::string& section,
                         const std::string& key, const std::string& defaultText,
                         std::size_t bufferSize = 255);

// The file's bytes after WritePrivateProfileStringA(section, key, value):
// the key's line rewritten where it stands, or the key added after the last
// non-blank line of its section, or the section added at the end of the
// file. Every other byte stays as it was; new lines end in CR LF.
std::string IniSetString(const std::string& fileBytes, const std::string& section,
                         const std::string& key, const std::string& value);

}  // namespace kel
