#pragma once

#include <string>

namespace kel {

// The fixed directory and the two data files, built as the program always
// builds them: the directory followed by the file name.
inline const std::string kWindowsDir = "c:\\windows";
inline std::string SettingsPath() { return kWindowsDir + "\\kel.ini"; }
inline std::string PhrasePath() { return kWindowsDir + "\\kel.dat"; }

}  // namespace kel
