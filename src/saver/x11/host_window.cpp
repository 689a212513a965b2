// The saver window and its screens: opening it, the back buffer, painting.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/errors.h"
#include "saver/x11/host.h"

namespace kel::x11 {

namespace {

// The size of the window to try the saver in, unless -geometry says.
constexpr unsigned kTryWidth = 600, kTryHeight = 480;

}  // namespace

bool ScreenLocked(Display* display) {
    const Atom status = XInternAtom(display, "_SCREENSAVER_STATUS", True);
    if (status == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    // Errors of earlier requests arrive first and are not this read's.
    XSync(display, False);
    lastXError = 0;
    const bool read = XGetWindowProperty(display, DefaultRootWindow(display), status, 0, 1, False,
                                         XA_INTEGER, &type, &format, &count, &after,
                                         &data) == Success && lastXError == 0;
    // Its first value is 0 while the screen is not blanked, else the atom
    // BLANK or LOCK.
    const bool locked = read && data != nullptr && type == XA_INTEGER && format == 32 &&
                        count >= 1 && reinterpret_cast<long*>(data)[0] != 0;
    if (data != nullptr) XFree(data);
    return locked;
}

void SaverHost::OpenWindow(const Options& options) {
    const Window root = RootWindow(display_, screenNumber_);
    if (mode_ == Mode::Cover) return OpenCover(root);
    if (mode_ == Mode::Window) return OpenOwnWindow(root, options.geometry);

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

// One window over the whole root: black, but for the primary monitor, which
// is Form1's screen. It takes no grabs, so that a screen locker can always
// take the screen from it: input reaches it because it covers everything
// and has the focus, and keys also through XInput2's raw events.
void SaverHost::OpenCover(Window root) {
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
                            PointerMotionMask | StructureNotifyMask | FocusChangeMask;
    window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(whole_.width),
                            static_cast<unsigned>(whole_.height), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWOverrideRedirect | CWBackPixel | CWCursor | CWEventMask,
                            &attributes);
    XStoreName(display_, window_, "Form1");
    XClassHint hint{const_cast<char*>("kel"), const_cast<char*>("Kel")};
    XSetClassHint(display_, window_, &hint);

    // The root tells of new screen sizes and monitors, and of a locker
    // taking the screen.
    status_ = XInternAtom(display_, "_SCREENSAVER_STATUS", False);
    XSelectInput(display_, root, StructureNotifyMask | PropertyChangeMask);
    int errorBase = 0;
    if (XRRQueryExtension(display_, &randrEvents_, &errorBase)) {
        XRRSelectInput(display_, root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask |
                                           RROutputChangeNotifyMask);
    } else {
        randrEvents_ = -1;
    }

    FindPointer();
}

// The pointer's position now: motion reported at it is no movement.
void SaverHost::FindPointer() {
    Window rootReturn, child;
    int x = 0, y = 0;
    unsigned mask = 0;
    if (XQueryPointer(display_, RootWindow(display_, screenNumber_), &rootReturn, &child, &pointerX_,
                      &pointerY_, &x, &y, &mask) == False) {
        pointerX_ = pointerY_ = -1;
    }
}

// A normal window, as XScreenSaver's hacks open one with -window: managed,
// resizable, titled with the program's name; q, Esc or its close box end it.
void SaverHost::OpenOwnWindow(Window root, const std::string& geometry) {
    int x = 0, y = 0;
    unsigned width = kTryWidth, height = kTryHeight;
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) throw KelError(ErrorKind::Io, "opening a window", "out of memory");
    hints->flags = PSize | PMinSize;
    hints->min_width = hints->min_height = 32;
    if (!geometry.empty()) {
        const int given = XParseGeometry(geometry.c_str(), &x, &y, &width, &height);
        if (given == NoValue) {
            XFree(hints);
            throw KelError(ErrorKind::InvalidValue, "reading the command line",
                           "-geometry " + geometry + ": not WxH+X+Y");
        }
        width = std::clamp(width, 32u, 32767u);
        height = std::clamp(height, 32u, 32767u);
        if (given & XNegative) x += DisplayWidth(display_, screenNumber_) - static_cast<int>(width);
        if (given & YNegative) y += DisplayHeight(display_, screenNumber_) - static_cast<int>(height);
        if (given & (WidthValue | HeightValue)) hints->flags |= USSize;
        if (given & (XValue | YValue)) hints->flags |= USPosition;
    }
    hints->x = x;
    hints->y = y;
    hints->width = static_cast<int>(width);
    hints->height = static_cast<int>(height);
    whole_ = PixelRect{0, 0, static_cast<int>(width), static_cast<int>(height)};
    screen_ = whole_;
    visual_ = DefaultVisual(display_, screenNumber_);
    colormap_ = DefaultColormap(display_, screenNumber_);
    depth_ = DefaultDepth(display_, screenNumber_);

    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display_, screenNumber_);
    attributes.event_mask = ExposureMask | KeyPressMask | StructureNotifyMask;
    window_ = XCreateWindow(display_, root, x, y, width, height, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
    XStoreName(display_, window_, "kel");
    XClassHint hint{const_cast<char*>("kel"), const_cast<char*>("Kel")};
    XSetClassHint(display_, window_, &hint);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
}

// Keys pressed anywhere, seen without a grab: the cover has the focus, but
// a key must end the saver even where something else took it.
void SaverHost::WatchRawKeys() {
    int event = 0, error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) {
        xiOpcode_ = -1;
        return;
    }
    // 2.1 and later deliver raw events whoever holds a grab.
    int major = 2, minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success) {
        xiOpcode_ = -1;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display_, RootWindow(display_, screenNumber_), &mask, 1);
}

void SaverHost::MakeBackBuffer() {
    if (draw_ != nullptr) XftDrawDestroy(draw_);
    if (back_ != None) XFreePixmap(display_, back_);
    back_ = XCreatePixmap(display_, window_, static_cast<unsigned>(std::max(whole_.width, 1)),
                          static_cast<unsigned>(std::max(whole_.height, 1)),
                          static_cast<unsigned>(depth_));
    if (gc_ == nullptr) {
        // The copies come from the back buffer, never obscured: without
        // this, every paint would bring a NoExpose event to read.
        XGCValues values{};
        values.graphics_exposures = False;
        gc_ = XCreateGC(display_, back_, GCGraphicsExposures, &values);
    }
    draw_ = XftDrawCreate(display_, back_, visual_, colormap_);
    if (!draw_) {
        throw KelError(ErrorKind::Io, "preparing to draw the sayings", "XftDrawCreate failed");
    }
    dirty_ = whole_;
}

// The bits of a pixel that are no colour: the alpha of a visual that has
// one (a window handed over in a 32-bit visual), set so that the saver's
// black and background are opaque there; none in a 24-bit visual.
unsigned long SaverHost::OpaqueBits() const {
    const unsigned long planes = depth_ >= 32 ? 0xFFFFFFFFul : (1ul << depth_) - 1;
    return planes & ~(visual_->red_mask | visual_->green_mask | visual_->blue_mask);
}

void SaverHost::SetBackColor(std::uint32_t colour) {
    if (mono_) colour = 0;
    const unsigned long pixel = Channel(colour & 0xFF, visual_->red_mask) |
                                Channel((colour >> 8) & 0xFF, visual_->green_mask) |
                                Channel((colour >> 16) & 0xFF, visual_->blue_mask) | OpaqueBits();
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
    const PixelRect coloured = Intersect(area, screen_);
    // Black around the presentation's screen (other monitors, margins);
    // nothing to do where the area lies within it, as it mostly does.
    if (coloured.x != area.x || coloured.y != area.y || coloured.width != area.width ||
        coloured.height != area.height) {
        XSetForeground(display_, gc_, OpaqueBits());  // black in any TrueColor visual
        XFillRectangle(display_, back_, gc_, area.x, area.y, static_cast<unsigned>(area.width),
                       static_cast<unsigned>(area.height));
    }
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
    unflushed_ = true;  // sent before the next wait
}

void SaverHost::Show() {
    if (mode_ == Mode::Cover) {
        XMapRaised(display_, window_);
        WatchRawKeys();
    } else if (mode_ == Mode::Window) {
        XMapWindow(display_, window_);
    }
    dirty_ = whole_;
    Paint();
}

// Raised once, when shown; never again, so that a locker's window that
// comes later stays on top.
void SaverHost::MakeTopmost() {
    if (mode_ == Mode::Cover) XRaiseWindow(display_, window_);
}

}  // namespace kel::x11
