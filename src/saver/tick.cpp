// One tick of Timer1: one whole presentation of one saying. The title card,
// the saying fitted to the screen width and centred, the closing sound or the
// spoken saying, the wait phase, the choice of the next index, the one-shot
// end and the background colour's step.
//
// Every step runs under its own guard: a step that fails (an overflow, an
// index outside the table, a font size the engine refuses, a speech component
// that is missing) is abandoned silently and the tick goes on with the next.
// Ending the program is not a failure and is never caught here.
#include <exception>

#include "platform/errors.h"
#include "saver/centre.h"
#include "saver/form1.h"
#include "saver/int16_ops.h"
#include "saver/layout.h"

namespace kel {

namespace {

constexpr std::int16_t kLastIndex = 32000;

template <typename Step>
void Guarded(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
        // skipped: the tick goes on with its next step
    }
}

// The index one before `index`. Stepping below the start of the table wraps to
// the last loaded entry (or stays at 0 when nothing is loaded), so the saver
// never wanders below 0 and every later tick reads a real entry again.
std::int16_t IndexBefore(std::int16_t index, std::int16_t msgCount) {
    const long before = static_cast<long>(index) - 1;
    if (before >= 0 && before <= kLastIndex) return static_cast<std::int16_t>(before);
    const std::int16_t last = Sub16(msgCount, 1, "choosing the last saying");
    if (last < 0) return 0;
    return last > kLastIndex ? kLastIndex : last;
}

// Clears the re-entry flag however the tick is left.
class TickScope {
public:
    explicit TickScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickScope() { flag_ = false; }
    TickScope(const TickScope&) = delete;
    TickScope& operator=(const TickScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

void Form1::Timer1_Timer() {
    // The tick pumps events, so the timer can fall due inside it; such an
    // expiry is dropped and ticks never nest.
    if (inTick_) return;
    TickScope scope(inTick_);

    Label& label1 = p_.Label1;
    Label& label2 = p_.Label2;
    SaverWindow& window = p_.Window;

    Guarded([&] { Armed = 1; });
    Guarded([&] { window.SetBackColor(static_cast<std::uint32_t>(BackCol)); });
    Guarded([&] { label1.SetCaption(u""); });
    Guarded([&] { label2.SetCaption(u""); });

    Guarded([&] {
        if (MsgNo != 0) Lupin3();
    });

    Guarded([&] { label1.SetVisible(false); });
    Guarded([&] { label2.SetVisible(false); });
    Guarded([&] { label1.SetFontSize(kSayingPoints * SizeScale); });

    // An empty line steps back once to the saying before it; an entry that
    // cannot be read counts as empty.
    Guarded([&] {
        bool empty = true;
        if (MsgNo >= 0 && MsgNo <= kLastIndex) empty = MsgEntry(MsgList, MsgNo).empty();
        if (empty) MsgNo = IndexBefore(MsgNo, MsgCount);
    });

    Guarded([&] { label1.SetCaption(MsgEntry(MsgList, MsgNo)); });

    // The fit loop, events pumped at each step.
    Guarded([&] { FitToWidth(label1, window, [&] { window.PumpEvents(); }); });

    Guarded([&] { CentreLeft(label1, window); });
    Guarded([&] { CentreTop(label1, window); });

    // With the closing sound the saying is on screen before the sound starts.
    if (Sound == 1 && Speak == 0) {
        Guarded([&] { label1.SetVisible(true); });
        Guarded([&] { window.PumpEvents(); });
    }

    Guarded([&] {
        if (MsgNo != 0 && Sound == 1) {
            if (Speak == 0) {
                p_.Sound.Play(TitleSound);
            } else if (Speak == 1) {
                p_.Speech.SpeakText(label1.Caption());
            }
        }
    });

    Guarded([&] { label1.SetVisible(true); });
    Guarded([&] { window.PumpEvents(); });

    // The wait phase holds the saying for its 2000 one-millisecond passes:
    // two seconds by the clock, in one wait. Input is delivered as soon as it
    // is queued (and may end the saver there); the rest of the time is kept.
    Guarded([&] { window.WaitForEvents(kHoldMs); });

    Guarded([&] { label1.SetVisible(false); });
    Guarded([&] { window.PumpEvents(); });

    Guarded([&] {
        switch (ViewMode) {
        case 0:  // list order, counting down, wrapping from 0 to the last
            MsgNo = IndexBefore(MsgNo, MsgCount);
            break;
        case 1: {  // random order; both ends are half as likely
            const float r = rnd_.Next();
            const float last = static_cast<float>(Sub16(MsgCount, 1, "choosing a saying"));
            MsgNo = last < 0.0f ? std::int16_t{0}
                                : Checked16(static_cast<long>(RoundHalfEven(last * r)),
                                            "choosing a saying");
            break;
        }
        default:  // shown again next tick, then list order
            ViewMode = 0;
            break;
        }
    });

    Guarded([&] { Frase_No = MsgNo; });

    if (OneShot == 1) {
        Guarded([&] { window.EnableTimer(false); });
        UnloadAndEnd();
    }

    Guarded([&] { Armed = 1; });
    Guarded([&] { BackCol = BackCol + 1; });
}

}  // namespace kel
