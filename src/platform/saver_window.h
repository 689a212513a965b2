// What the saver window's logic needs from its window and from the system
// around it: the window itself, the screen, event pumping and sleeping.
#pragma once

#include <cstdint>

namespace kel {

class SaverWindow {
public:
    virtual ~SaverWindow() = default;

    // 0x00BBGGRR, as the background colour counter converts to a colour.
    virtual void SetBackColor(std::uint32_t colour) = 0;
    virtual void SetLeftTop(float leftTwips, float topTwips) = 0;
    virtual void SetSize(float widthTwips, float heightTwips) = 0;
    virtual void Show() = 0;
    virtual void EnableTimer(bool enabled) = 0;
    // SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE)
    virtual void MakeTopmost() = 0;
    // Raises the window's QueryUnload, then takes the window down. The caller
    // ends the program right afterwards.
    virtual void Unload() = 0;

    virtual float ScreenWidthTwips() const = 0;
    virtual float ScreenHeightTwips() const = 0;

    // Delivers every pending message of the thread, then returns. Input
    // handlers run inside it and may end the program from there.
    virtual void PumpEvents() = 0;
    // Sleeps without delivering anything.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Lasts `milliseconds` by the clock from its call, in one wait to that
    // deadline (WaitWithDeadline, platform/deadline.h), never as a count of
    // short waits; whenever messages are queued meanwhile it delivers them at
    // once, as PumpEvents does, and waits on until the same deadline. Input
    // handlers run inside it and may end the program from there.
    virtual void WaitForEvents(std::uint32_t milliseconds) = 0;
};

}  // namespace kel
