// Input: the X events the saver window gets, and what Form1 makes of them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

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
    const Window root = RootWindow(display_, screenNumber_);
    switch (event.type) {
    case Expose:
        // The back buffer holds the picture, unless a repaint is pending
        // (a new back buffer after a resize holds nothing yet): then the
        // area is drawn and shown with the rest at the end of this pump.
        if (dirty_.width > 0) {
            Invalidate({event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height});
        } else {
            XCopyArea(display_, back_, window_, gc_, event.xexpose.x, event.xexpose.y,
                      static_cast<unsigned>(event.xexpose.width),
                      static_cast<unsigned>(event.xexpose.height), event.xexpose.x, event.xexpose.y);
        }
        break;
    case ConfigureNotify:
        if (mode_ == Mode::Cover) {
            if (event.xconfigure.window == root) ScreensChanged();
        } else if (event.xconfigure.window == window_) {
            Resized(event.xconfigure.width, event.xconfigure.height);
        }
        break;
    case MapNotify:
        // The cover takes the focus, so that keys come to it, not to the
        // window under it.
        if (mode_ == Mode::Cover && event.xmap.window == window_) {
            XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
        }
        break;
    case FocusOut:
        // Another client grabbed the keyboard over the cover: a locker
        // taking the screen (or the user at a shortcut). The screen is
        // theirs: the saver closes rather than stay under or over it.
        if (mode_ == Mode::Cover && event.xfocus.window == window_ && event.xfocus.mode == NotifyGrab) {
            CloseFromSystem();
        }
        break;
    case PropertyNotify:
        if (event.xproperty.window == root && event.xproperty.atom == status_ &&
            ScreenLocked(display_)) {
            CloseFromSystem();
        }
        break;
    case ClientMessage:
        if (mode_ == Mode::Window && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
            form_.Click();  // the close box: the user ends it
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
        OnKey(event.xkey);
        break;
    case MotionNotify:
        if (standalone_) OnMotion(event.xmotion.x_root, event.xmotion.y_root);
        break;
    case GenericEvent:
        OnGeneric(event);
        break;
    default:
        if (randrEvents_ >= 0 && mode_ == Mode::Cover &&
            (event.type == randrEvents_ + RRScreenChangeNotify || event.type == randrEvents_ + RRNotify)) {
            XRRUpdateConfiguration(&event);
            ScreensChanged();
        }
        break;
    }
    inInput_ = false;
}

// Over every monitor any key is input; in the window to try it in, q and
// Esc end it, as in XScreenSaver's hacks.
void SaverHost::OnKey(XKeyEvent& key) {
    if (standalone_) {
        form_.KeyDown();
    } else if (mode_ == Mode::Window) {
        const KeySym sym = XLookupKeysym(&key, 0);
        if (sym == XK_q || sym == XK_Q || sym == XK_Escape) form_.Click();
    }
}

void SaverHost::OnGeneric(XEvent& event) {
    if (event.xcookie.extension != xiOpcode_ || !XGetEventData(display_, &event.xcookie)) return;
    const bool key = event.xcookie.evtype == XI_RawKeyPress;
    XFreeEventData(display_, &event.xcookie);
    if (key && standalone_) form_.KeyDown();
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
