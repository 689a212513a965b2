// The X11 host's parts, shared by its files: the saver window (window and
// screens, input, the loop and its waits, the close step), the screens'
// geometry, and the process-wide signal and X error handling.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "saver/form1.h"
#include "saver/x11/linux_seam.h"
#include "saver/x11/options.h"
#include "saver/x11/tick_timer.h"
#include "saver/x11/xft_label.h"
#include "sound/linux/pulse_sound_player.h"
#include "speech/linux/speechd_voice.h"

namespace kel::x11 {

using Clock = std::chrono::steady_clock;

// ------------------------------------------------------------ screens

// Xft.dpi from the resources where set, else 96.
double ScreenDpi(Display* display);
// The primary monitor in root-window pixels (the whole screen where XRandR
// tells of no monitors).
PixelRect PrimaryMonitor(Display* display, Window root);
// One 8-bit channel into the bits of a TrueColor mask.
unsigned long Channel(unsigned value, unsigned long mask);
// True while a screen locker says the screen is blanked or locked (the
// XScreenSaver daemon's _SCREENSAVER_STATUS on the root window).
bool ScreenLocked(Display* display);

// ------------------------------------------------------------ X errors

// The last X error's code (requests on windows that went away are no
// failures of the saver's); set to 0 before a request to look at it.
extern int lastXError;
// Installs the X error handlers; `onLostDisplay` runs when the connection
// is gone, before the end.
void HandleXErrors(void (*onLostDisplay)());

// ------------------------------------------------------------ the host

// Where the saver draws: over every monitor (input ends it), in a window
// of its own to try it in, or in someone else's window (the daemon's).
enum class Mode { Cover, Window, Foreign };

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
    void EnableTimer(bool enabled) override { timer_.Enable(enabled); }
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
    void OpenCover(Window root);
    void OpenOwnWindow(Window root, const std::string& geometry);
    void WatchRawKeys();
    void FindPointer();
    void MakeBackBuffer();
    unsigned long OpaqueBits() const;
    // The sizes changed: the screens as the server has them now (Cover), or
    // the window's new size; the current card or saying laid out again.
    void ScreensChanged();
    void Resized(int width, int height);
    // One-shot in someone else's window: the saying was shown and written;
    // the blank window stays until its owner ends the saver.
    [[noreturn]] void HoldUntilClosed();
    void OnKey(XKeyEvent& key);
    void OnGeneric(XEvent& event);
    void Invalidate(const PixelRect& pixels) { dirty_ = Union(dirty_, Intersect(pixels, whole_)); }
    void Paint();
    void Dispatch(XEvent& event);
    void OnMotion(int rootX, int rootY);
    void LetGreetingFinish();
    // Waits until the deadline for the signal pipe, and for X events too
    // when `withEvents`; true when something is there to read.
    bool WaitUntil(Clock::time_point deadline, bool withEvents);

    Display* display_;
    int screenNumber_;
    double dpi_;
    Mode mode_;
    bool standalone_;  // mode_ == Mode::Cover
    bool mono_;
    Atom deleteWindow_ = None;  // WM_DELETE_WINDOW, for Mode::Window
    Atom status_ = None;        // _SCREENSAVER_STATUS
    int randrEvents_ = -1;      // XRandR's first event code, -1 without it
    int xiOpcode_ = -1;         // XInput2's major opcode, -1 without it
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
    TickTimer timer_;
    Clock::time_point lastRead_;  // when PumpEvents last read the connection
    bool unflushed_ = false;      // a paint's requests wait in Xlib's buffer
    int pointerX_ = 0, pointerY_ = 0;
    unsigned pressedButtons_ = 0;  // pressed over the saver, not yet released
    bool unloading_ = false;
    bool queryUnloadRan_ = false;
    bool closedBySystem_ = false;
    bool inInput_ = false;  // an X event is being dispatched
};

}  // namespace kel::x11
