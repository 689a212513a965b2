// New sizes: the screens changed under the cover, or someone resized the
// window the saver draws in. The current card or saying is laid out again at
// once, by the rules it was laid out by.
#include <X11/Xlib.h>

#include "saver/layout.h"
#include "saver/x11/host.h"

namespace kel::x11 {

void SaverHost::ScreensChanged() {
    const Window root = RootWindow(display_, screenNumber_);
    // The root's own size: XRandR's events may tell of one screen of several
    // joined by Xinerama.
    Window rootReturn = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, root, &rootReturn, &x, &y, &width, &height, &border, &depth)) return;
    const PixelRect whole{0, 0, static_cast<int>(width), static_cast<int>(height)};
    const PixelRect screen = Intersect(PrimaryMonitor(display_, root), whole);
    const bool sized = whole.width != whole_.width || whole.height != whole_.height;
    if (!sized && screen.x == screen_.x && screen.y == screen_.y && screen.width == screen_.width &&
        screen.height == screen_.height) {
        return;
    }
    whole_ = whole;
    screen_ = screen;
    if (sized) {
        XMoveResizeWindow(display_, window_, 0, 0, static_cast<unsigned>(whole_.width),
                          static_cast<unsigned>(whole_.height));
        MakeBackBuffer();
        // A smaller screen moved the pointer into it; the motion that tells
        // of it is none of the user's.
        FindPointer();
    }
    LayOutAgain(form_, label1_, *this);
    dirty_ = whole_;
}

void SaverHost::Resized(int width, int height) {
    if (width == whole_.width && height == whole_.height) return;
    whole_ = PixelRect{0, 0, width, height};
    screen_ = whole_;
    MakeBackBuffer();
    LayOutAgain(form_, label1_, *this);
    dirty_ = whole_;
}

}  // namespace kel::x11
