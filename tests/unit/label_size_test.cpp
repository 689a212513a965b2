// What we test: a label's size in points as whole pixels, round(s x DPI /
// 72), refused below one pixel and beyond 32,767; and the size as the
// refusal reports it, to the hundredth, sane for sizes whose hundredths
// overflow a 32-bit long.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/errors.h"
#include "platform/label_size.h"

namespace kel {
namespace {

TEST(LabelSize, PixelsRoundedAndRefusedOutsideTheirRange) {
    struct Row { float points; double dpi; int pixels; };
    for (const Row& row : {Row{72, 96, 96}, Row{574.5f, 96, 766}, Row{0.375f, 96, 1}, Row{40.5f, 120, 68},
                           Row{24575.25f, 96, 32767}}) {
        EXPECT_EQ(LabelPixelHeight(row.points, row.dpi), row.pixels) << row.points << " pt at " << row.dpi;
    }
    for (const float points : {0.37f, 0.0f, -12.0f, 24575.75f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        try {
            LabelPixelHeight(points, 96);
            ADD_FAILURE() << points << " pt was accepted";
        } catch (const KelError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::InvalidValue) << points;
        }
    }
}

TEST(LabelSize, SizeTextToTheHundredth) {
    struct Row { float points; const char* text; };
    for (const Row& row : {Row{12.75f, "12.75"}, Row{0.05f, "0.05"}, Row{-3.5f, "-3.50"}, Row{574.5f, "574.50"},
                           Row{9999999.0f, "9999999.00"}, Row{1e7f, "1e7 or more"}, Row{-1e30f, "-1e7 or less"},
                           Row{std::numeric_limits<float>::infinity(), "1e7 or more"},
                           Row{std::numeric_limits<float>::quiet_NaN(), "NaN"}}) {
        EXPECT_EQ(PointsText(row.points), row.text) << row.points;
    }
}

}  // namespace
}  // namespace kel
