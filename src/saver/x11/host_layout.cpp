// New sizes: the screens changed under the cover, or someone resized the
// window the saver draws in. The current card or saying is laid out again at
// once, by the rules it was laid out by.
#include <X11/Xlib.h>

#include <cmath>
#include <string>

#include "platform/errors.h"
#include "saver/centre.h"
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
    }
    LayOutAgain();
    dirty_ = whole_;
}

void SaverHost::Resized(int width, int height) {
    if (width == whole_.width && height == whole_.height) return;
    whole_ = PixelRect{0, 0, width, height};
    screen_ = whole_;
    MakeBackBuffer();
    LayOutAgain();
    dirty_ = whole_;
}

// The large card's size follows the screen's height: it is found again. A
// card character is shown at the card size, a saying fitted to the width
// from its first size down, as the tick does; both centred. A hidden label
// keeps what it has: the tick lays it out before it shows it.
void SaverHost::LayOutAgain() {
    Label& label = label1_;
    const std::u16string caption = label.Caption();
    const bool visible = label.Visible();
    const float size = label.FontSize();
    const int cardBefore = form_.CardSize;
    // One character (or a pair of code units) at the card size is a card.
    const bool card = caption.size() <= 2 && std::lround(size) == cardBefore;
    if (form_.FontMode == 0) form_.FontsizeSet();
    label.SetVisible(false);
    label.SetCaption(caption);
    if (!visible || caption.empty()) {
        label.SetFontSize(size == static_cast<float>(cardBefore) ? form_.CardSize : size);
        label.SetVisible(visible);
        return;
    }
    if (card) {
        label.SetFontSize(form_.CardSize);
    } else {
        label.SetFontSize(Form1::kSayingPoints);
        while (label.Width() > ScreenWidthTwips()) {
            const float before = label.FontSize();
            try {
                label.SetFontSize(before - Form1::kFitStepPoints);
            } catch (const KelError& error) {
                if (error.kind() != ErrorKind::InvalidValue) throw;
                break;
            }
            if (!(label.FontSize() < before)) break;
        }
    }
    Centre(label, *this);
    label.SetVisible(true);
}

}  // namespace kel::x11
