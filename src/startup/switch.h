// Which window a command line asks for.
#pragma once

#include <cstdint>
#include <string>

namespace kel {

enum class StartAction { EndAtOnce, LoadSaver, LoadSettings, Preview };

// The switch is the first two characters of the argument text, upper-cased.
std::u16string MakeSwitch(const std::u16string& argumentText);
StartAction ActionForSwitch(const std::u16string& switchText);

// The window a preview switch names, as the system writes it: "/p 1234",
// "/p:1234" or "-p 1234", the handle in decimal. 0 when the text after the
// switch is not one decimal number of at most 32 bits (or there is none).
std::uint32_t PreviewParent(const std::u16string& argumentText);

// Everything that follows the program's own path on a command line (the path
// may be quoted), without the blanks that separate them.
std::u16string ArgumentText(const std::u16string& commandLine);

}  // namespace kel
