// The saver window and its screens: opening it, the back buffer, painting.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/errors.h"
#include "saver/x11/host.h"

namespace kel::x11 {

void SaverHost::OpenWindow(const Options& options) {
    const Window root = RootWindow(display_, screenNumber_);
    if (standalone_) {
        // One window over the whole root: black, but for the primary
        // monitor, which is Form1's screen.
        whole_ = PixelRect{0, 0, DisplayWidth(display_, screenNumber_),
                           DisplayHeight(display_, screenNumber_)};
        screen_ = Intersect(PrimaryMonitor(display_, root), whole_);
        visual_ = DefaultVisual(display_, screenNumber_);
        colormap_ = DefaultColormap(display_, screenNumber_);
        depth_ = DefaultDepth(display_, screenNumber_);

        // The invisible pointer: a cursor whose one pixel is masked out.
        char empty = 0;
        const Pixmap bits = XCreateBitmapFromData(display_, root, &empty, 1, 1);
        XColor none{};
        const Cursor blank = XCreatePixmapCursor(display_, bits, bits, &none, &none, 0, 0);
        XFreePixmap(display_, bits);

        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display_, screenNumber_);
        attributes.cursor = blank;
        attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                                PointerMotionMask | StructureNotifyMask;
        window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(whole_.width),
                                static_cast<unsigned>(whole_.height), 0, CopyFromParent,
                                InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWBackPixel | CWCursor | CWEventMask,
                                &attributes);
        XStoreName(display_, window_, "Form1");
        XClassHint hint{const_cast<char*>("kel"), const_cast<char*>("Kel")};
        XSetClassHint(display_, window_, &hint);

        // The pointer's position now: motion reported at it is no movement.
        Window rootReturn, child;
        int x = 0, y = 0;
        unsigned mask = 0;
        if (XQueryPointer(display_, root, &rootReturn, &child, &pointerX_, &pointerY_, &x, &y,
                          &mask) == False) {
            pointerX_ = pointerY_ = -1;
        }
        return;
    }

    // Someone else's window (or the root): its size is the screen, and the
    // saver only draws; input goes to its owner.
    window_ = options.windowId != 0 ? options.windowId : root;
    lastXError = 0;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window_, &attributes) || lastXError != 0) {
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", window_);
        throw KelError(ErrorKind::InvalidValue, "opening the window to draw in",
                       std::string("window ") + id + " does not exist");
    }
    whole_ = PixelRect{0, 0, attributes.width, attributes.height};
    screen_ = whole_;
    visual_ = attributes.visual;
    colormap_ = attributes.colormap != None ? attributes.colormap
                                            : DefaultColormap(display_, screenNumber_);
    depth_ = attributes.depth;
    XSelectInput(display_, window_, ExposureMask | StructureNotifyMask);
}

void SaverHost::MakeBackBuffer() {
    if (draw_ != nullptr) XftDrawDestroy(draw_);
    if (back_ != None) XFreePixmap(display_, back_);
    back_ = XCreatePixmap(display_, window_, static_cast<unsigned>(std::max(whole_.width, 1)),
                          static_cast<unsigned>(std::max(whole_.height, 1)),
                          static_cast<unsigned>(depth_));
    if (gc_ == nullptr) gc_ = XCreateGC(display_, back_, 0, nullptr);
    draw_ = XftDrawCreate(display_, back_, visual_, colormap_);
    if (!draw_) {
        throw KelError(ErrorKind::Io, "preparing to draw the sayings", "XftDrawCreate failed");
    }
    dirty_ = whole_;
}

void SaverHost::SetBackColor(std::uint32_t colour) {
    const unsigned long pixel = Channel(colour & 0xFF, visual_->red_mask) |
                                Channel((colour >> 8) & 0xFF, visual_->green_mask) |
                                Channel((colour >> 16) & 0xFF, visual_->blue_mask);
    if (pixel == background_) return;
    background_ = pixel;
    Invalidate(screen_);
}

// Draws what changed into the back buffer and copies that to the window in
// one request, so that no half-drawn state is ever seen.
void SaverHost::Paint() {
    if (dirty_.width <= 0 || dirty_.height <= 0) return;
    const PixelRect area = dirty_;
    dirty_ = PixelRect{};
    XSetForeground(display_, gc_, 0);  // black in any TrueColor visual
    XFillRectangle(display_, back_, gc_, area.x, area.y, static_cast<unsigned>(area.width),
                   static_cast<unsigned>(area.height));
    const PixelRect coloured = Intersect(area, screen_);
    if (coloured.width > 0) {
        XSetForeground(display_, gc_, background_);
        XFillRectangle(display_, back_, gc_, coloured.x, coloured.y,
                       static_cast<unsigned>(coloured.width), static_cast<unsigned>(coloured.height));
    }
    XRectangle clip{static_cast<short>(area.x), static_cast<short>(area.y),
                    static_cast<unsigned short>(area.width), static_cast<unsigned short>(area.height)};
    XftDrawSetClipRectangles(draw_, 0, 0, &clip, 1);
    label2_.Paint(draw_, screen_.x, screen_.y);
    label1_.Paint(draw_, screen_.x, screen_.y);
    XCopyArea(display_, back_, window_, gc_, area.x, area.y, static_cast<unsigned>(area.width),
              static_cast<unsigned>(area.height), area.x, area.y);
    XFlush(display_);
}

void SaverHost::Show() {
    if (standalone_) {
        XMapRaised(display_, window_);
        TryGrab();
    }
    dirty_ = whole_;
    Paint();
}

// Keyboard and pointer go to the saver alone while it runs, as a screen
// saver's input does on Windows. Another client's grab (a menu held open)
// makes it fail; it is tried again on the next pumps for a while.
void SaverHost::TryGrab() {
    if (grabbed_ || grabTries_ >= 200) return;
    ++grabTries_;
    const int keyboard = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                                       CurrentTime);
    const int pointer = XGrabPointer(display_, window_, True,
                                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    grabbed_ = keyboard == GrabSuccess && pointer == GrabSuccess;
    if (!grabbed_) {
        if (keyboard == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
        if (pointer == GrabSuccess) XUngrabPointer(display_, CurrentTime);
    }
}

void SaverHost::MakeTopmost() {
    if (standalone_) XRaiseWindow(display_, window_);
}

}  // namespace kel::x11
