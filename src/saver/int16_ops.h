// The old runtime's 16-bit integers and its rounding, for the presentation:
// an arithmetic overflow is an error (the tick's guards skip the step), reading
// the phrase table outside 0..32,000 is an error, and converting a
// single-precision number to an integer rounds halves to the even integer.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace kel {

inline std::int16_t Checked16(long value, const char* what) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw KelError(ErrorKind::Overflow, what, std::to_string(value));
    }
    return static_cast<std::int16_t>(value);
}

inline std::int16_t Sub16(std::int16_t a, std::int16_t b, const char* what) {
    return Checked16(static_cast<long>(a) - b, what);
}

inline std::int16_t Add16(std::int16_t a, std::int16_t b, const char* what) {
    return Checked16(static_cast<long>(a) + b, what);
}

// Nearest integer, a value exactly halfway going to the even one. Written out
// rather than left to the floating-point environment's rounding mode.
inline double RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5) return below + 1.0;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// The entry of the phrase table at `index`; outside the table an error.
inline const std::u16string& MsgEntry(const std::vector<std::u16string>& table,
                                      std::int16_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) {
        throw KelError(ErrorKind::SubscriptOutOfRange, "reading a saying",
                       "index " + std::to_string(index));
    }
    return table[static_cast<std::size_t>(index)];
}

}  // namespace kel
