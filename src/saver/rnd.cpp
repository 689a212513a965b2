// The random sequence: a 32-bit xorshift generator whose state is fixed at
// construction, so every run yields the same succession. The top 24 bits make
// a single-precision value in [0, 1) exactly (a float has 24 bits of mantissa).
#include "saver/rnd.h"

namespace kel {

float Rnd::Next() {
    std::uint32_t x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return static_cast<float>(x >> 8) * (1.0f / 16777216.0f);
}

}  // namespace kel
