// What we test: the Xft label against a real X server (run under Xvfb):
// fontconfig finds a Japanese face; a size becomes whole pixels through the
// DPI and is reported back as the font has it; heights and widths grow with
// the size; extents add up; a size below one pixel is refused and the label
// keeps its font; a shown label asks for its old and new pixels to be painted.
#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"
#include "saver/x11/xft_label.h"

namespace {

using kel::x11::PixelRect;
using kel::x11::XftLabel;

// One connection for all, as in the program: Xft and Xrender keep what they
// learn about a display by its address, which a new connection may reuse.
Display* const display = XOpenDisplay(nullptr);

struct XftLabelTest : ::testing::Test {
    void SetUp() override { ASSERT_NE(display, nullptr) << "no X display (run under Xvfb)"; }
    XftLabel Make(double dpi) {
        return XftLabel(display, DefaultScreen(display), dpi,
                        [this](const PixelRect& r) { painted.push_back(r); });
    }
    std::vector<PixelRect> painted;
};

TEST_F(XftLabelTest, SizesAreWholePixelsReportedAsTheFontHasThem) {
    struct Case { double dpi; float asked; float reported; };
    for (const Case c : {Case{96, 72, 72}, Case{96, 20, 20.25f}, Case{96, 699, 699},
                         Case{120, 20, 19.8f}, Case{144, 10.2f, 10.0f}}) {
        XftLabel label(display, DefaultScreen(display), c.dpi, [](const PixelRect&) {});
        label.SetFontSize(c.asked);
        EXPECT_NEAR(label.FontSize(), c.reported, 0.001f) << c.asked << " pt at " << c.dpi << " dpi";
    }
}

TEST_F(XftLabelTest, AJapaneseFaceWithFullWidthKanaGrowingWithTheSize) {
    XftLabel label = Make(96);
    label.SetCaption(u"\u3042");  // あ: one em wide in a Japanese face
    for (float points : {9.0f, 24.0f, 72.0f, 300.0f}) {
        label.SetFontSize(points);
        const float pixels = points * 96 / 72;
        EXPECT_NEAR(label.Width() / 15, pixels, pixels * 0.06f + 1) << points << " pt";
        EXPECT_NEAR(label.Height() / 15, pixels * 1.25f, pixels * 0.25f + 1) << "ascent and descent";
    }
    const float one = label.Width(), height = label.Height();
    label.SetCaption(u"\u3042\u3042\u3042");
    EXPECT_FLOAT_EQ(label.Width(), 3 * one);
    EXPECT_FLOAT_EQ(label.Height(), height);
    label.SetCaption(u"");
    EXPECT_EQ(label.Width(), 0.0f);
    EXPECT_FLOAT_EQ(label.Height(), height) << "an empty label is one line high";
}

// The width is read from the outlines, not from rendered glyphs: it must be
// the advance Xft itself reports for the same face and pixel size, for wide
// and narrow characters, punctuation and a character the face lacks.
TEST_F(XftLabelTest, WidthsAreTheAdvancesXftReports) {
    XftLabel label = Make(96);
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kel::x11::kLabelFacePattern));
    FcResult result;
    FcPattern* matched = XftFontMatch(display, DefaultScreen(display), pattern, &result);
    FcPatternDestroy(pattern);
    ASSERT_NE(matched, nullptr);
    for (const std::u16string text : {std::u16string(u"*** \u683c\u8a00\u30fb\u8ff7\u8a00 ***"),
                                      std::u16string(u"\u3048\u3047\uff5e\u3044\u3043\uff01"),
                                      std::u16string(u"Wide iiii ...,\U0001F600"),
                                      std::u16string(u"j1/AV \uff71\uff72\u3001\u300c\u301c")}) {
        label.SetCaption(text);
        for (int pixels = 6; pixels <= 300; ++pixels) {
            label.SetFontSize(pixels * 0.75f);
            FcPattern* sized = FcPatternDuplicate(matched);
            FcPatternDel(sized, FC_PIXEL_SIZE);
            FcPatternAddDouble(sized, FC_PIXEL_SIZE, pixels);
            XftFont* font = XftFontOpenPattern(display, sized);
            ASSERT_NE(font, nullptr);
            XGlyphInfo extents{};
            XftTextExtents16(display, font, reinterpret_cast<const FcChar16*>(text.data()),
                             static_cast<int>(text.size()), &extents);
            EXPECT_EQ(label.Width(), extents.xOff * 15.0f) << pixels << " px";
            XftFontClose(display, font);
        }
    }
    FcPatternDestroy(matched);
}

TEST_F(XftLabelTest, SizesBelowOnePixelAreRefusedAndTheFontKept) {
    XftLabel label = Make(96);
    label.SetFontSize(30);
    for (float bad : {0.3f, 0.0f, -3.0f, 0.0f / 0.0f}) {
        try {
            label.SetFontSize(bad);
            ADD_FAILURE() << bad << " pt was accepted";
        } catch (const kel::KelError& error) {
            EXPECT_EQ(error.kind(), kel::ErrorKind::InvalidValue);
        }
        EXPECT_FLOAT_EQ(label.FontSize(), 30.0f);
    }
    label.SetFontSize(0.75f);  // one pixel
    EXPECT_FLOAT_EQ(label.FontSize(), 0.75f);
}

TEST_F(XftLabelTest, AShownLabelAsksForItsOldAndNewPixels) {
    XftLabel label = Make(96);
    label.SetCaption(u"\u683C\u8A00");
    label.SetLeft(1500);  // 100 px
    label.SetTop(3000);   // 200 px
    EXPECT_TRUE(painted.empty()) << "a hidden label needs no painting";
    label.SetVisible(true);
    ASSERT_EQ(painted.size(), 1u);
    const PixelRect r = painted[0];
    EXPECT_LE(r.x, 100);
    EXPECT_LE(r.y, 200);
    EXPECT_GE(r.x + r.width, 100 + static_cast<int>(label.Width() / 15));
    EXPECT_GE(r.y + r.height, 200 + static_cast<int>(label.Height() / 15));
    painted.clear();
    label.SetLeft(0);
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[0].x, r.x) << "the old place first";
    EXPECT_LT(painted[1].x, r.x);
}

}  // namespace
