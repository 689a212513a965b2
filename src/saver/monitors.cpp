#include "saver/monitors.h"

#include <algorithm>

namespace kel {

namespace {

bool Empty(const ScreenRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Inside(const ScreenRect& inner, const ScreenRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

std::vector<ScreenRect> MonitorsToCover(const std::vector<ScreenRect>& monitors,
                                        const ScreenRect& form1Window) {
    std::vector<ScreenRect> covers;
    for (const ScreenRect& monitor : monitors) {
        // Mirrored monitors report the same rectangle; one window covers both.
        if (Empty(monitor) || Inside(monitor, form1Window) ||
            std::find(covers.begin(), covers.end(), monitor) != covers.end()) {
            continue;
        }
        covers.push_back(monitor);
    }
    return covers;
}

}  // namespace kel
