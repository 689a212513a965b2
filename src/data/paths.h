#pragma once

#include <string>

namespace kel {

// The directory of the two data files and the separator the paths are built
// with, as the program always builds them: the directory, the separator, the
// file name. On Windows they stay the fixed "c:\windows" and "\"; a system
// without drive letters sets its own once at start, before any form runs.
void SetDataDirectory(const std::string& directory, char separator);
const std::string& DataDirectory();

std::string SettingsPath();
std::string PhrasePath();

}  // namespace kel
