// Reading a number back from a settings value.
#pragma once

#include <cstdint>
#include <string>

namespace kel {

// Trims blanks, takes the leading number (optional sign, digits, optional
// fraction and exponent; text that does not begin with a number is 0), rounds
// halves to even and returns it as a 16-bit value. Throws
// KelError(Overflow) outside -32768..32767; `what` names the file, section and
// key for that report.
std::int16_t ReadNumber16(const std::string& text, const std::string& what);

}  // namespace kel
