// The screens' geometry: the DPI, the primary monitor, rectangles, colours.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>

#include "saver/x11/host.h"

namespace kel::x11 {

// Xft.dpi from the resources where set (desktops set it for scaling), else
// 96, as on an unscaled Windows desktop.
double ScreenDpi(Display* display) {
    const char* text = XGetDefault(display, "Xft", "dpi");
    if (text != nullptr) {
        char* end = nullptr;
        const double dpi = std::strtod(text, &end);
        if (end != text && dpi >= 24.0 && dpi <= 960.0) return dpi;
    }
    return 96.0;
}

// The primary monitor as XRandR reports it (the first one when none is
// marked), in root-window pixels; the whole screen where XRandR has no
// monitors to tell of.
PixelRect PrimaryMonitor(Display* display, Window root) {
    PixelRect whole{0, 0, DisplayWidth(display, DefaultScreen(display)),
                    DisplayHeight(display, DefaultScreen(display))};
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105) {
        return whole;
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
    if (monitors == nullptr) return whole;
    PixelRect chosen = whole;
    for (int i = 0; i < count; ++i) {
        if (i == 0 || monitors[i].primary) {
            chosen = PixelRect{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
        }
        if (monitors[i].primary) break;
    }
    XRRFreeMonitors(monitors);
    return chosen.width > 0 && chosen.height > 0 ? chosen : whole;
}

unsigned long Channel(unsigned value, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    int bits = 0;
    while (((mask >> (shift + bits)) & 1) != 0) ++bits;
    const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8)
                                           : static_cast<unsigned long>(value) >> (8 - bits);
    return (scaled << shift) & mask;
}

}  // namespace kel::x11
