// Small text helpers shared by portable code.
#pragma once

#include <cstdint>
#include <string>

namespace kel {

std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);
// Well-formed throughout: no stray or missing continuation byte, no overlong
// form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(const std::string& text);

// Decimal digits without a leading blank, a minus sign only when negative.
std::string DecimalText(long value);
std::u16string DecimalText16(long value);

}  // namespace kel
