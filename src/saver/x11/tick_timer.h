// Timer1 for the Linux hosts, which have no timer of the system's: the
// deadline of the loop's one wait.
#pragma once

#include <chrono>

#include "saver/form1.h"

namespace kel::x11 {

class TickTimer {
public:
    using Clock = std::chrono::steady_clock;

    // SetTimer's meaning: the first expiry one interval from now.
    void Enable(bool enabled) {
        if (enabled && !on_) due_ = Clock::now() + Interval();
        on_ = enabled;
    }
    bool Due() const { return on_ && Clock::now() >= due_; }
    // After a tick: expiries that fell due during it are dropped; the next
    // one keeps the timer's own rhythm, within one interval.
    void Ticked() {
        const auto now = Clock::now();
        while (due_ <= now) due_ += Interval();
    }
    // Until when the loop may wait: the next expiry, or a day while off.
    Clock::time_point WaitDeadline() const { return on_ ? due_ : Clock::now() + std::chrono::hours(24); }

    // A host's loop: its events pumped, the tick run whenever it is due,
    // else one wait (`wait(deadline)`) until the next expiry.
    template <typename Pump, typename Wait>
    [[noreturn]] void Loop(Form1& form, Pump pump, Wait wait) {
        for (;;) {
            pump();
            if (Due()) {
                form.Timer1_Timer();
                Ticked();
                continue;
            }
            wait(WaitDeadline());
        }
    }

private:
    static constexpr std::chrono::milliseconds Interval() {
        return std::chrono::milliseconds(Form1::kTimerIntervalMs);
    }

    bool on_ = false;
    Clock::time_point due_;
};

}  // namespace kel::x11
