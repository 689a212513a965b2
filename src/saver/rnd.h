// The random sequence of random order: single-precision values in [0, 1),
// starting from the same state in every run (never seeded from the clock).
#pragma once

#include <cstdint>

namespace kel {

class Rnd {
public:
    float Next();

private:
    std::uint32_t state_ = 0x2545F491u;
};

}  // namespace kel
