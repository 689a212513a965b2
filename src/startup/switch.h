// Which window a command line asks for.
#pragma once

#include <string>

namespace kel {

enum class StartAction { EndAtOnce, LoadSaver, LoadSettings };

// The switch is the first two characters of the argument text, upper-cased.
std::u16string MakeSwitch(const std::u16string& argumentText);
StartAction ActionForSwitch(const std::u16string& switchText);

// Everything that follows the program's own path on a command line (the path
// may be quoted), without the blanks that separate them.
std::u16string ArgumentText(const std::u16string& commandLine);

}  // namespace kel
