// A rectangle of pixels, and the two operations the hosts' damage tracking
// needs: what two rectangles share, and the smallest one holding both.
#pragma once

#include <algorithm>

namespace kel {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

inline PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width);
    const int bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top) return PixelRect{};
    return PixelRect{left, top, right - left, bottom - top};
}

// An empty rectangle adds nothing.
inline PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.width <= 0 || a.height <= 0) return b;
    if (b.width <= 0 || b.height <= 0) return a;
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace kel
