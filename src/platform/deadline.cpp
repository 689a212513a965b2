#include "platform/deadline.h"

#include <cmath>

namespace kel {

void WaitWithDeadline(EventWait& events, std::uint32_t milliseconds) {
    const double deadlineMs = events.NowMs() + static_cast<double>(milliseconds);
    for (;;) {
        const double leftMs = deadlineMs - events.NowMs();
        if (leftMs <= 0.0) return;
        // Rounded up: a timeout rounded down to 0 would return at once and
        // spin through the last fraction of a millisecond.
        const auto timeoutMs = static_cast<std::uint32_t>(std::ceil(leftMs));
        if (events.WaitForInput(timeoutMs)) events.DeliverInput();
    }
}

}  // namespace kel
