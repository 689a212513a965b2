// The seat: a key, a movement of the pointer or a click ends the saver; the
// pointer is not drawn over it.
#include <unistd.h>

#include "saver/wayland/host.h"

namespace kel::wayland {

namespace {

void OnKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void OnKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<SaverHost*>(data)->KeyPressed();
}
void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                                OnKey,    OnModifiers,     OnRepeatInfo};

void OnPointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*,
                    wl_fixed_t x, wl_fixed_t y) {
    static_cast<SaverHost*>(data)->PointerEntered(pointer, serial, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void OnPointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void OnPointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    static_cast<SaverHost*>(data)->PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void OnPointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                     std::uint32_t state) {
    static_cast<SaverHost*>(data)->Button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
void OnPointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnPointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void OnPointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void OnPointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
const wl_pointer_listener kPointerListener = {
    OnPointerEnter,      OnPointerLeave,    OnPointerMotion,       OnPointerButton,      OnPointerAxis,
    OnPointerFrame,      OnPointerAxisSource, OnPointerAxisStop, OnPointerAxisDiscrete, OnPointerAxisDiscrete};

void OnSeatCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
    auto* c = static_cast<Connection*>(data);
    c->seatCapabilities = capabilities;
    if (c->host != nullptr) c->host->SeatCapabilities(capabilities);
}
void OnSeatName(void*, wl_seat*, const char*) {}

}  // namespace

const wl_seat_listener kSeatListener = {OnSeatCapabilities, OnSeatName};

void SaverHost::SeatCapabilities(std::uint32_t capabilities) {
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(c_.seat);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_ != nullptr) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
    }
    if (pointer && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(c_.seat);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!pointer && pointer_ != nullptr) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
    }
}

void SaverHost::KeyPressed() { form_.KeyDown(); }

// The pointer is not drawn over the saver. Its arrival (the surface
// appearing under it) is no movement.
void SaverHost::PointerEntered(wl_pointer* pointer, std::uint32_t serial, double x, double y) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    pointerX_ = x;
    pointerY_ = y;
}

// Only a changed position is a movement.
void SaverHost::PointerMoved(double x, double y) {
    if (x == pointerX_ && y == pointerY_) return;
    pointerX_ = x;
    pointerY_ = y;
    form_.MouseMove();
}

// A click is a press and the release of the same button over the saver; it
// ends the saver on the release, as on Windows.
void SaverHost::Button(std::uint32_t button, bool pressed) {
    const unsigned bit = 1u << (button & 31);
    if (pressed) {
        pressedButtons_ |= bit;
    } else if ((pressedButtons_ & bit) != 0) {
        pressedButtons_ &= ~bit;
        form_.Click();
    }
}

}  // namespace kel::wayland
