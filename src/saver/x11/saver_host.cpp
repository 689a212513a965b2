#include "saver/x11/saver_host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/paths.h"
#include "platform/errors.h"
#include "saver/form1.h"
#include "saver/x11/linux_seam.h"
#include "saver/x11/xft_label.h"
#include "sound/linux/pulse_sound_player.h"
#include "speech/linux/speechd_voice.h"

namespace kel::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// ------------------------------------------------------------ signals

// SIGTERM (the daemon ending its hack), SIGINT and SIGHUP only write a byte
// here; the loop, or whatever wait runs at the time, sees it in its poll and
// closes the saver as the system closing its window would.
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;  // spares a read of the pipe at every pump

extern "C" void OnSignal(int signalNumber) {
    posix::NoteEndSignal(signalNumber);  // the process ends by it after the close step
    signalled = 1;
    const int saved = errno;
    const char byte = 1;
    if (write(signalPipe[1], &byte, 1) < 0) {
        // full pipe: a close is already on its way
    }
    errno = saved;
}

void CatchSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw KelError(ErrorKind::Io, "preparing for the end of the saver", "a pipe for signals");
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

bool SignalArrived() {
    if (!signalled) return false;
    char bytes[16];
    bool any = false;
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) any = true;
    return any;
}

// ------------------------------------------------------------ X errors

// Requests on a window that went away under us (the daemon's window at the
// end, a grab refused) are not the saver's failures: they are noted and the
// saver goes on. Xlib's default would end the program with its own message.
int lastXError = 0;
int OnXError(Display*, XErrorEvent* error) {
    lastXError = error->error_code;
    return 0;
}

// The connection is gone (the display closed, the session ended): the same
// close step as for a signal, then the end.
void (*closeOnLostDisplay)() = nullptr;
int OnXIoError(Display*) {
    if (closeOnLostDisplay != nullptr) closeOnLostDisplay();
    _exit(0);
}

// ------------------------------------------------------------ the DPI

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

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width);
    const int bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top) return PixelRect{};
    return PixelRect{left, top, right - left, bottom - top};
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.width <= 0 || a.height <= 0) return b;
    if (b.width <= 0 || b.height <= 0) return a;
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return PixelRect{left, top, right - left, bottom - top};
}

// One 8-bit channel into the bits of a TrueColor mask.
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

// Wheel steps come as presses of buttons 4 to 7; on Windows they are no
// clicks either.
bool IsWheel(unsigned button) { return button >= 4 && button <= 7; }

// How long a one-shot run that ends by itself lets its greeting go on.
constexpr std::uint32_t kGreetingFinishMs = 30000;

// ------------------------------------------------------------ the host

class SaverHost : public SaverWindow {
public:
    SaverHost(Display* display, const Options& options);
    ~SaverHost() override;

    Form1& form() { return form_; }
    // After Load: the event loop, Timer1 as its deadline. Never returns.
    [[noreturn]] void Run();
    // Closed from outside (a signal, the display gone): the close step, then
    // the end.
    [[noreturn]] void CloseFromSystem();
    void QueryUnloadOnce();
    void StopSpeaking() { speaker_.Stop(); }

    // SaverWindow
    void SetBackColor(std::uint32_t colour) override;
    void SetLeftTop(float, float) override {}
    void SetSize(float, float) override {}
    void Show() override;
    void EnableTimer(bool enabled) override;
    void MakeTopmost() override;
    void Unload() override;
    float ScreenWidthTwips() const override { return screen_.width * TwipsPerPixel(); }
    float ScreenHeightTwips() const override { return screen_.height * TwipsPerPixel(); }
    void PumpEvents() override;
    void Sleep(std::uint32_t milliseconds) override;
    void WaitForEvents(std::uint32_t milliseconds) override;

private:
    float TwipsPerPixel() const { return static_cast<float>(1440.0 / dpi_); }
    void OpenWindow(const Options& options);
    void MakeBackBuffer();
    void Invalidate(const PixelRect& pixels) { dirty_ = Union(dirty_, Intersect(pixels, whole_)); }
    void Paint();
    void Dispatch(XEvent& event);
    void OnMotion(int rootX, int rootY);
    void LetGreetingFinish();
    void TryGrab();
    // Waits until the deadline for the signal pipe, and for X events too
    // when `withEvents`; true when something is there to read.
    bool WaitUntil(Clock::time_point deadline, bool withEvents);

    Display* display_;
    int screenNumber_;
    double dpi_;
    bool standalone_;
    Window window_ = None;
    Visual* visual_ = nullptr;
    Colormap colormap_ = None;
    int depth_ = 0;
    PixelRect whole_;   // the window, in its own pixels
    PixelRect screen_;  // Form1's screen inside it (the primary monitor)
    Pixmap back_ = None;
    XftDraw* draw_ = nullptr;
    GC gc_ = nullptr;
    PixelRect dirty_;

    XftLabel label1_, label2_;
    posix::PulseSoundPlayer sound_;
    posix::SpeechDispatcherSpeaker speaker_;
    LinuxSeam seam_;
    OverridingProfile profile_;
    SaverPlatform platform_;
    Form1 form_;

    unsigned long background_ = 0;
    bool timerOn_ = false;
    Clock::time_point timerDue_;
    int pointerX_ = 0, pointerY_ = 0;
    unsigned pressedButtons_ = 0;  // pressed over the saver, not yet released
    bool grabbed_ = false;
    int grabTries_ = 0;
    bool unloading_ = false;
    bool queryUnloadRan_ = false;
    bool closedBySystem_ = false;
    bool inInput_ = false;  // an X event is being dispatched
};

SaverHost::SaverHost(Display* display, const Options& options)
    : display_(display),
      screenNumber_(DefaultScreen(display)),
      dpi_(ScreenDpi(display)),
      standalone_(options.standalone),
      label1_(display, DefaultScreen(display), ScreenDpi(display),
              [this](const PixelRect& r) { Invalidate({r.x + screen_.x, r.y + screen_.y, r.width, r.height}); }),
      label2_(display, DefaultScreen(display), ScreenDpi(display),
              [this](const PixelRect& r) { Invalidate({r.x + screen_.x, r.y + screen_.y, r.width, r.height}); }),
      profile_(seam_.profile, options.overrides),
      platform_{label1_, label2_, *this, sound_, speaker_, seam_.files, profile_, seam_.codec,
                seam_.process},
      form_(platform_) {
    OpenWindow(options);
    MakeBackBuffer();
}

SaverHost::~SaverHost() {
    if (draw_ != nullptr) XftDrawDestroy(draw_);
    if (back_ != None) XFreePixmap(display_, back_);
    if (gc_ != nullptr) XFreeGC(display_, gc_);
}

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

// SetTimer's meaning: the first expiry one interval from now.
void SaverHost::EnableTimer(bool enabled) {
    if (enabled && !timerOn_) timerDue_ = Clock::now() + std::chrono::milliseconds(Form1::kTimerIntervalMs);
    timerOn_ = enabled;
}

void SaverHost::MakeTopmost() {
    if (standalone_) XRaiseWindow(display_, window_);
}

void SaverHost::QueryUnloadOnce() {
    if (queryUnloadRan_) return;
    queryUnloadRan_ = true;
    form_.QueryUnload();
}

// The window's QueryUnload runs; the caller ends the process right after,
// which takes the window (and the grabs) away with it.
void SaverHost::Unload() {
    if (unloading_) return;
    unloading_ = true;
    timerOn_ = false;
    QueryUnloadOnce();
    LetGreetingFinish();
}

// Speech runs on its own, and a one-shot run that ends by itself would end
// a moment after the saying was handed over, cutting the greeting off. So
// then, with Frase_No written, the window goes and the voice may finish, for
// a bounded time; a signal still ends it at once. The user's input or the
// system's close stops the voice at once.
void SaverHost::LetGreetingFinish() {
    const bool byItself = !(closedBySystem_ || inInput_);
    speaker_.session().EndOfRun(
        byItself && form_.OneShot == 1, kGreetingFinishMs,
        [this] {
            if (!standalone_) return;
            XUngrabKeyboard(display_, CurrentTime);
            XUngrabPointer(display_, CurrentTime);
            XUnmapWindow(display_, window_);
            XFlush(display_);
        },
        [this] {
            if (!SignalArrived()) return;
            speaker_.Stop();
            seam_.process.EndProgram();
        });
}

void SaverHost::CloseFromSystem() {
    closedBySystem_ = true;
    Unload();
    seam_.process.EndProgram();
}

void SaverHost::Dispatch(XEvent& event) {
    inInput_ = true;  // whatever ends the saver from here is no natural end
    switch (event.type) {
    case Expose:
        // The back buffer holds the picture; only what changed since is
        // drawn anew, at the end of this pump.
        if (dirty_.width > 0) Invalidate({event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                          event.xexpose.height});
        XCopyArea(display_, back_, window_, gc_, event.xexpose.x, event.xexpose.y,
                  static_cast<unsigned>(event.xexpose.width),
                  static_cast<unsigned>(event.xexpose.height), event.xexpose.x, event.xexpose.y);
        break;
    case ConfigureNotify:
        if (!standalone_ && event.xconfigure.window == window_ &&
            (event.xconfigure.width != whole_.width || event.xconfigure.height != whole_.height)) {
            whole_ = PixelRect{0, 0, event.xconfigure.width, event.xconfigure.height};
            screen_ = whole_;
            MakeBackBuffer();
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window_) CloseFromSystem();
        break;
    case ButtonPress:
        if (standalone_ && !IsWheel(event.xbutton.button)) {
            pressedButtons_ |= 1u << (event.xbutton.button & 31);
        }
        break;
    case ButtonRelease:
        // A click is a press and the release of the same button over the
        // saver; it ends the saver on the release, as on Windows.
        if (standalone_ && (pressedButtons_ & (1u << (event.xbutton.button & 31))) != 0) {
            form_.Click();
        }
        break;
    case KeyPress:
        if (standalone_) form_.KeyDown();
        break;
    case MotionNotify:
        if (standalone_) OnMotion(event.xmotion.x_root, event.xmotion.y_root);
        break;
    default:
        break;
    }
    inInput_ = false;
}

// The server reports motion also when the window appears or a grab starts
// under a still pointer: only a changed position is a movement.
void SaverHost::OnMotion(int rootX, int rootY) {
    if (rootX == pointerX_ && rootY == pointerY_) return;
    pointerX_ = rootX;
    pointerY_ = rootY;
    form_.MouseMove();
}

// Delivers every queued event, then paints what changed. A handler that
// fails ends the program with the report, as an error in a window
// procedure does on Windows (the tick's guards must not swallow it).
void SaverHost::PumpEvents() {
    if (SignalArrived()) CloseFromSystem();
    if (standalone_ && !grabbed_) TryGrab();
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        try {
            Dispatch(event);
        } catch (const KelError& error) {
            ReportError(error);
            _exit(1);
        } catch (const std::exception& error) {
            ReportUnexpected(error.what());
            _exit(1);
        }
    }
    Paint();
}

bool SaverHost::WaitUntil(Clock::time_point deadline, bool withEvents) {
    pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {ConnectionNumber(display_), POLLIN, 0}};
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return false;
        // Whole milliseconds, rounded up: never wakes early to spin.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const int ready = poll(fds, withEvents ? 2 : 1, static_cast<int>(std::min<long long>(ms, 1 << 30)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// No events are delivered during a sleep (input waits for the next pump);
// only a signal ends it, since the saver must close within moments then.
void SaverHost::Sleep(std::uint32_t milliseconds) {
    XFlush(display_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (WaitUntil(deadline, false)) {
        if (SignalArrived()) CloseFromSystem();
    }
}

// Lasts `milliseconds` from the call by the monotonic clock: one poll to
// the deadline, whatever arrives meanwhile delivered at once, then the poll
// again to the same deadline.
void SaverHost::WaitForEvents(std::uint32_t milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    XFlush(display_);
    // Events Xlib has read already are in its queue, where poll cannot see
    // them; those still in the connection wake the poll.
    if (XQLength(display_) > 0) PumpEvents();
    while (WaitUntil(deadline, true)) PumpEvents();
}

void SaverHost::Run() {
    for (;;) {
        PumpEvents();
        if (timerOn_ && Clock::now() >= timerDue_) {
            form_.Timer1_Timer();
            // Expiries that fell due during the tick are dropped; the next
            // one keeps the timer's own rhythm, within one interval.
            const auto interval = std::chrono::milliseconds(Form1::kTimerIntervalMs);
            const auto now = Clock::now();
            while (timerDue_ <= now) timerDue_ += interval;
            continue;
        }
        WaitUntil(timerOn_ ? timerDue_ : Clock::now() + std::chrono::hours(24), true);
    }
}

SaverHost* runningHost = nullptr;

}  // namespace

int RunSaver(const Options& options) {
    Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (display == nullptr) {
        const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
        if (name == nullptr || *name == '\0') {
            throw KelError(ErrorKind::Io, "opening the X display", {}, "DISPLAY is not set");
        }
        throw KelError(ErrorKind::Io, "opening the X display", name, "cannot connect to the X server");
    }
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIoError);
    CatchSignals();

    runningHost = new SaverHost(display, options);  // lives until the process ends
    SaverHost* host = runningHost;
    // The settings folder is made only once the saver has somewhere to show.
    SetDataDirectory(posix::PrepareDataDirectory(), '/');
    host->form().Load();
    closeOnLostDisplay = [] {
        runningHost->QueryUnloadOnce();
        runningHost->StopSpeaking();
    };
    host->Run();
}

}  // namespace kel::x11
