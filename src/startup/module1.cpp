#include "startup/module1.h"

namespace kel {

std::int32_t BackCol = 0;

}  // namespace kel
