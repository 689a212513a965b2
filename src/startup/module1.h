// The start-up module: the entry procedure and the program-wide background
// colour counter.
#pragma once

#include <cstdint>

namespace kel {

// The saver window's background colour (lowest byte red, then green, then
// blue); 0 at program start, one step per tick. 32 bits, so it widens past
// 32,767 instead of overflowing.
extern std::int32_t BackCol;

}  // namespace kel
