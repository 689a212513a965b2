#include "saver/x11/saver_host.h"

#include <X11/Xlib.h>

#include "saver/x11/host.h"

namespace kel::x11 {

SaverHost::SaverHost(Display* display, const Options& options)
    : display_(display),
      screenNumber_(DefaultScreen(display)),
      dpi_(ScreenDpi(display)),
      mode_(options.standalone ? Mode::Cover : options.window ? Mode::Window : Mode::Foreign),
      standalone_(options.standalone),
      mono_(options.mono),
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

void SaverHost::QueryUnloadOnce() {
    if (queryUnloadRan_) return;
    queryUnloadRan_ = true;
    form_.QueryUnload();
}

// The window's QueryUnload runs; the caller ends the process right after,
// which takes the window away with it. In someone else's window a one-shot
// run that ends by itself holds the blank window instead: the daemon counts
// a hack that ends on its own as crashed.
void SaverHost::Unload() {
    if (unloading_) return;
    unloading_ = true;
    timer_.Enable(false);
    QueryUnloadOnce();
    if (mode_ == Mode::Foreign && !(closedBySystem_ || inInput_) && form_.OneShot == 1) {
        HoldUntilClosed();
    }
    LetGreetingFinish();
}

// Painted blank (the tick hid the saying), then only the window's events
// and the signals are served: a signal, or the window's end, ends the run.
void SaverHost::HoldUntilClosed() {
    label1_.SetVisible(false);
    label2_.SetVisible(false);
    for (;;) {
        PumpEvents();
        WaitUntil(Clock::now() + std::chrono::hours(24), true);
    }
}

// A one-shot run that ends by itself lets its greeting finish with the
// window unmapped (someone else's window stays as it is).
void SaverHost::LetGreetingFinish() {
    const bool byItself = !(closedBySystem_ || inInput_);
    FinishGreeting(speaker_, seam_, byItself && form_.OneShot == 1, [this] {
        if (mode_ == Mode::Foreign) return;
        XUnmapWindow(display_, window_);
        XFlush(display_);
    });
}

void SaverHost::CloseFromSystem() {
    closedBySystem_ = true;
    if (unloading_) speaker_.Stop();  // held after a one-shot: the voice ends too
    Unload();
    seam_.process.EndProgram();
}

}  // namespace kel::x11
