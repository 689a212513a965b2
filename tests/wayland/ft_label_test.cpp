// What we test: the FreeType label's ink box holds every pixel it paints,
// a label that has shown other captions and sizes paints a caption exactly
// as a new label does (nothing kept from what it showed before), and paints
// it the same strip by strip, as the host paints, as in one go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/wayland/ft_label.h"

namespace {

using kel::PixelRect;
using kel::wayland::FreeTypeLabel;
using kel::wayland::PixelBuffer;

struct Case { std::u16string caption; float points; float left, top; };

// The caption painted on a 1024 x 768 transparent screen, 15 twips a pixel.
std::vector<std::uint32_t> Show(FreeTypeLabel& label, const Case& c) {
    label.SetVisible(false);
    label.SetFontSize(c.points);
    label.SetCaption(c.caption);
    label.SetLeft(c.left * 15);
    label.SetTop(c.top * 15);
    label.SetForeColor(0xFFFFFF);
    label.SetVisible(true);
    std::vector<std::uint32_t> pixels(1024 * 768);
    label.Paint(PixelBuffer{pixels.data(), 1024, 768, 1024}, PixelRect{0, 0, 1024, 768}, 0, 0);
    return pixels;
}

TEST(FreeTypeLabelTest, InkBoxHoldsThePaintAndNothingOfEarlierCaptionsRemains) {
    FreeTypeLabel shown(96, [](const PixelRect&) {});
    for (const Case& c : {Case{u"\u51fa", 574.5f, 130, 0}, Case{u"\u3057", 574.5f, 150, 2},
                          Case{u"\uff01", 574.5f, 140, 0}, Case{u"\u3042\u304b\u3093\uff01", 40.5f, 400, 360},
                          Case{u"\u51fa", 300, -100, 500}}) {
        const std::vector<std::uint32_t> pixels = Show(shown, c);
        const PixelRect ink = shown.InkBounds();
        int outside = 0, inked = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                if (pixels[y * 1024 + x] == 0) continue;
                ++inked;
                if (x < ink.x || x >= ink.x + ink.width || y < ink.y || y >= ink.y + ink.height) ++outside;
            }
        }
        EXPECT_GT(inked, 0) << c.points;
        EXPECT_EQ(outside, 0) << "pixels outside the ink box at " << c.points << " pt";
        FreeTypeLabel fresh(96, [](const PixelRect&) {});
        EXPECT_TRUE(Show(fresh, c) == pixels) << "differs from a new label at " << c.points << " pt";
        std::vector<std::uint32_t> strips(1024 * 768);
        for (int row = 0; row < 768; row += 96) {
            shown.Paint(PixelBuffer{strips.data(), 1024, 768, 1024}, PixelRect{0, row, 1024, 96}, 0, 0);
        }
        EXPECT_TRUE(strips == pixels) << "strips differ from one paint at " << c.points << " pt";
    }
}

}  // namespace
