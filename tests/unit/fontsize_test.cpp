// What we test: the title-card size. 72 points for every display mode but 0;
// for 0 the height fit from 700 points down in 1-point steps on the size the
// label reports, ending at the first size strictly less tall than the screen;
// half sizes rounded to even; the floor where the font engine refuses a size
// or stops shrinking; no pumping.
#include <gtest/gtest.h>

#include <cmath>

#include <sstream>
#include <string>

#include "saver_fixture.h"

namespace kel::fake {
namespace {

class DisplaySize : public SaverFixture {
protected:
    DisplaySize() { label1.logGeometry = true; }

    Log SizesTried() const { return Only({"size Label1"}); }
};

TEST_F(DisplaySize, SmallForEveryModeButZero) {
    for (std::int16_t mode : {1, 99, -3, 32767}) {
        log.clear();
        form.FontMode = mode;
        window.screenHeight = 100.0f;  // would force a fit if one were made
        form.FontsizeSet();
        EXPECT_EQ(form.CardSize, 72) << mode;
        EXPECT_EQ(SizesTried(), Log{"size Label1 72"}) << mode;
        EXPECT_EQ(label1.Caption(), u"*");
        EXPECT_FALSE(label1.Visible());
    }
}

TEST_F(DisplaySize, LargeOnATallScreenIsTheCap) {
    form.FontMode = 0;
    window.screenHeight = 16801.0f;  // the label is 16,800 twips at 700 points
    form.FontsizeSet();
    EXPECT_EQ(form.CardSize, 700);
    EXPECT_EQ(SizesTried(), Log{"size Label1 700"});
}

TEST_F(DisplaySize, LargeFitsTheHeightAndGoesOnWhenEqual) {
    form.FontMode = 0;
    window.screenHeight = 11520.0f;  // equal to the label at 480 points
    form.FontsizeSet();
    EXPECT_EQ(form.CardSize, 479);
    const Log tried = SizesTried();
    ASSERT_EQ(tried.size(), 222u);  // 700 down to 479
    EXPECT_EQ(tried.front(), "size Label1 700");
    EXPECT_EQ(tried[220], "size Label1 480");
    EXPECT_EQ(label1.Caption(), u"*");
    EXPECT_FALSE(label1.Visible());
    EXPECT_EQ(window.pumps, 0);
}

TEST_F(DisplaySize, FitStepsFromTheReportedSizeAndRoundsHalvesToEven) {
    // An engine that renders in steps of 1.5 points: 700 is reported as 700.5,
    // one point less than that as 699, and so on down by 1.5.
    label1.sizeQuantum = 1.5f;
    form.FontMode = 0;
    window.screenHeight = 11520.0f;  // fits below 480 points
    form.FontsizeSet();
    const Log tried = SizesTried();
    ASSERT_EQ(tried.size(), 149u);
    for (std::size_t k = 0; k < tried.size(); ++k) {
        std::ostringstream size;
        size << 700.5f - 1.5f * static_cast<float>(k);
        ASSERT_EQ(tried[k], "size Label1 " + size.str()) << k;
    }
    EXPECT_EQ(label1.FontSize(), 478.5f);
    EXPECT_EQ(form.CardSize, 478);
}

TEST_F(DisplaySize, FloorWhereTheEngineRefusesSmallerSizes) {
    form.FontMode = 0;
    label1.minimumPoints = 50.0f;
    window.screenHeight = 1000.0f;  // the label is 1,200 twips even at 50 points
    form.FontsizeSet();
    EXPECT_EQ(form.CardSize, 50);
    EXPECT_EQ(SizesTried().size(), 651u);
}

TEST_F(DisplaySize, FloorWhereTheLabelStopsShrinking) {
    label1.sizeQuantum = 2.0f;  // 699 renders as 700 again
    form.FontMode = 0;
    window.screenHeight = 11520.0f;
    form.FontsizeSet();
    EXPECT_EQ(form.CardSize, 700);
    EXPECT_EQ(SizesTried().size(), 2u);
}

TEST_F(DisplaySize, AHeightThatStallsForOneStepIsNoFloor) {
    // Heights rounded to even point sizes: 700 and 699 are equally tall.
    label1.heightForSize = [](float points) { return 48.0f * std::ceil(points / 2.0f); };
    form.FontMode = 0;
    window.screenHeight = 11520.0f;  // 48 x 240: fits from 478 points down
    form.FontsizeSet();
    EXPECT_EQ(form.CardSize, 478);
}

}  // namespace
}  // namespace kel::fake
