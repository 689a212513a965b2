// Which monitors the saver blacks out besides Form1's own window.
#pragma once

#include <vector>

namespace kel {

// A rectangle in virtual-screen pixels: left and top inside, right and
// bottom just outside. Monitors left of or above the primary one have
// negative coordinates.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// The monitors that need a black cover window: every monitor that Form1's
// window does not already cover whole, each once, in the order given. A
// monitor only partly under Form1's window is covered too (the cover lies
// beneath Form1, so the sayings stay in front).
std::vector<ScreenRect> MonitorsToCover(const std::vector<ScreenRect>& monitors,
                                        const ScreenRect& form1Window);

}  // namespace kel
