// What we test: the hold lasts its time by the clock on a clock like
// Windows' default one, where every timed wait lasts whole 15.6 ms periods
// (or one whose waits end early), delivering input the moment it is queued
// and keeping the rest of the time afterwards; and the tick holds its saying
// that long in one call.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/deadline.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

// A clock that moves only when waited on.
class TimerPeriodClock : public EventWait {
public:
    // How long a timed wait of `timeoutMs` really lasts.
    std::function<double(std::uint32_t)> lasts = [](std::uint32_t timeoutMs) {
        return std::max(1.0, std::ceil(timeoutMs / kPeriodMs)) * kPeriodMs;
    };
    static constexpr double kPeriodMs = 15.625;

    double NowMs() override { return nowMs; }
    bool WaitForInput(std::uint32_t timeoutMs) override {
        ++waits;
        const double end = nowMs + lasts(timeoutMs);
        if (next < arrivals.size() && arrivals[next] < end) {
            nowMs = std::max(nowMs, arrivals[next]);
            return true;
        }
        nowMs = end;
        return false;
    }
    void DeliverInput() override {
        for (; next < arrivals.size() && arrivals[next] <= nowMs; ++next) {
            delivered.push_back(nowMs);
            if (onInput) onInput();
        }
    }

    double nowMs = 0;
    int waits = 0;
    std::vector<double> arrivals, delivered;
    std::size_t next = 0;
    std::function<void()> onInput;
};

TEST(WaitWithDeadline, LastsItsTimeAndDeliversInputAtOnce) {
    struct Case {
        const char* what;
        std::vector<double> arrivals;
        bool earlyWaits;
    };
    for (const Case& c : {Case{"nothing arrives", {}, false},
                          Case{"queued before the wait", {0.0}, false},
                          Case{"arrives mid-hold", {700.0}, false},
                          Case{"two, one at the very end", {3.0, 1999.5}, false},
                          Case{"waits that end 1 ms early", {700.0}, true}}) {
        TimerPeriodClock clock;
        clock.nowMs = 100.0;
        for (double at : c.arrivals) clock.arrivals.push_back(100.0 + at);
        if (c.earlyWaits) clock.lasts = [](std::uint32_t ms) { return ms > 1 ? ms - 1.0 : 1.0; };
        WaitWithDeadline(clock, 2000);
        EXPECT_GE(clock.nowMs - 100.0, 2000.0) << c.what;
        EXPECT_LE(clock.nowMs - 100.0, 2020.0) << c.what;
        ASSERT_EQ(clock.delivered.size(), c.arrivals.size()) << c.what;
        for (std::size_t i = 0; i < c.arrivals.size(); ++i) {
            EXPECT_EQ(clock.delivered[i], 100.0 + c.arrivals[i]) << c.what;
        }
        EXPECT_LE(clock.waits, static_cast<int>(c.arrivals.size()) + 3) << c.what;
    }
}

class Hold : public SaverFixture {};

// Movement during a one-shot hold is ignored and the hold goes on to its end.
TEST_F(Hold, TickHoldsTheSayingTwoSecondsByTheClock) {
    form.MsgList[0] = u"題";
    form.MsgCount = 1;
    form.OneShot = 1;
    TimerPeriodClock clock;
    clock.arrivals = {900.0};
    clock.onInput = [&] { form.MouseMove(); };
    window.events = &clock;
    ExpectEnds([&] { form.Timer1_Timer(); });
    EXPECT_EQ(clock.delivered, std::vector<double>{900.0});
    EXPECT_GE(clock.nowMs, 2000.0);
    EXPECT_LE(clock.nowMs, 2020.0);
    EXPECT_EQ(profile.writes, Log{"StartUP/Frase_No=0"});
}

}  // namespace
}  // namespace kel::fake
