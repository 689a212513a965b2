// Input: the X events the saver window gets, and what Form1 makes of them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/errors.h"
#include "saver/x11/host.h"

namespace kel::x11 {

namespace {

// Wheel steps come as presses of buttons 4 to 7; on Windows they are no
// clicks either.
bool IsWheel(unsigned button) { return button >= 4 && button <= 7; }

}  // namespace

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

}  // namespace kel::x11
