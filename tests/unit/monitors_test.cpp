// What we test: which monitors get a black cover window, given the monitor
// rectangles and Form1's window: monitors beside, above or left of the
// primary one (negative coordinates) are covered as they lie; monitors that
// Form1's window already covers whole (the primary, a mirror, heads stacked
// inside it) are not; a monitor that only partly lies under Form1 is; each
// rectangle once.
#include <gtest/gtest.h>

#include <ostream>

#include "saver/monitors.h"

namespace kel {

void PrintTo(const ScreenRect& r, std::ostream* os) {
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

const ScreenRect kPrimary{0, 0, 1024, 768};
const ScreenRect kRight{1024, 0, 1824, 600};
const ScreenRect kLeft{-1280, -256, 0, 768};       // left of the primary, top above it
const ScreenRect kAbove{0, -1080, 1920, 0};
const ScreenRect kInside{0, 0, 800, 600};          // a head stacked at 0,0
const ScreenRect kOverlap{512, 0, 1536, 768};      // half under Form1
const ScreenRect kEmpty{100, 100, 100, 400};

TEST(MonitorsToCover, Table) {
    struct Case {
        const char* what;
        std::vector<ScreenRect> monitors;
        ScreenRect form1;
        std::vector<ScreenRect> expected;
    };
    const Case cases[] = {
        {"one monitor", {kPrimary}, kPrimary, {}},
        {"second monitor to the right", {kPrimary, kRight}, kPrimary, {kRight}},
        {"to the left, at negative coordinates", {kLeft, kPrimary}, kPrimary, {kLeft}},
        {"three monitors, in the order given", {kAbove, kPrimary, kLeft}, kPrimary,
         {kAbove, kLeft}},
        {"mirror and a head stacked inside the primary", {kPrimary, kPrimary, kInside},
         kPrimary, {}},
        {"two mirrored secondaries: one cover", {kPrimary, kRight, kRight}, kPrimary, {kRight}},
        {"partly under Form1", {kPrimary, kOverlap}, kPrimary, {kOverlap}},
        {"primary grown past Form1's window", {ScreenRect{0, 0, 1280, 1024}}, kPrimary,
         {ScreenRect{0, 0, 1280, 1024}}},
        {"an empty rectangle", {kPrimary, kEmpty}, kPrimary, {}},
        {"no monitor reported", {}, kPrimary, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonitorsToCover(c.monitors, c.form1), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace kel
