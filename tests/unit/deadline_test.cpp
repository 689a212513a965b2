// What we test: the hold lasts its time by the clock where every timed wait
// lasts whole 15.6 ms periods (Windows' default) or ends early, delivers
// input the moment it is queued and keeps the rest of the time; the tick
// holds its saying that long.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/deadline.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

// A clock that moves only when waited on; inputs arrive at given times.
class PeriodClock : public EventWait {
public:
    double NowMs() override { return nowMs; }
    bool WaitForInput(std::uint32_t timeoutMs) override {
        ++waits;
        const double lasts = early ? timeoutMs * 0.99 : std::ceil(timeoutMs / 15.625) * 15.625;
        const double end = nowMs + lasts;
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
    bool early = false;
    int waits = 0;
    std::vector<double> arrivals, delivered;
    std::size_t next = 0;
    std::function<void()> onInput;
};

TEST(WaitWithDeadline, LastsItsTimeAndDeliversInputAtOnce) {
    for (const auto& [arrivals, early] : {std::pair{std::vector<double>{}, false},
                                          {{100.0}, false}, {{700.0, 2099.5}, false},
                                          {{700.0}, true}}) {
        PeriodClock clock;
        clock.nowMs = 100.0;
        clock.early = early;
        clock.arrivals = arrivals;
        WaitWithDeadline(clock, 2000);
        EXPECT_GE(clock.nowMs, 2100.0);
        EXPECT_LE(clock.nowMs, 2120.0);
        EXPECT_EQ(clock.delivered, arrivals) << "each delivered when it arrived";
        EXPECT_LE(clock.waits, static_cast<int>(arrivals.size()) + 3);
    }
}

// Movement in a one-shot hold is ignored; the hold goes on to its end.
TEST_F(SaverFixture, TickHoldsTheSayingTwoSecondsByTheClock) {
    form.MsgList[0] = u"題";
    form.MsgCount = 1;
    form.OneShot = 1;
    PeriodClock clock;
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
