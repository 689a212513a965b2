// What we test: the preview's miniature of a 1024 x 768 screen in windows of
// 152 x 112 (the settings' own), 200 x 150 and 320 x 240 pixels: the large
// title card fitted to the window's height, the small one and the whole
// saying's first size shrunk with the window, and three sayings of different
// widths fitted to its width. Sizes are rounded to whole pixels (0.75 points
// at 96 DPI), as the font engine reports them.
#include <gtest/gtest.h>

#include "saver/miniature.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

constexpr float kTwipsPerPixel = 15.0f;

class Miniature : public SaverFixture {
protected:
    void ShowIn(float widthPixels, float heightPixels, std::int16_t fontMode) {
        window.screenWidth = widthPixels * kTwipsPerPixel;
        window.screenHeight = heightPixels * kTwipsPerPixel;
        form.SizeScale = MiniatureScale(widthPixels, heightPixels, 1024.0f, 768.0f);
        label1.sizeQuantum = 0.75f;
        form.FontMode = fontMode;
        form.FontsizeSet();
    }

    // The size at which the tick shows saying 1 whole, and its width.
    float SayingPoints(const char16_t* saying) {
        form.MsgList[0] = u"*** title ***";
        form.MsgList[1] = saying;
        form.MsgCount = 2;
        form.MsgNo = 1;
        form.Sound = 0;
        form.OneShot = 0;
        form.Timer1_Timer();
        EXPECT_LE(label1.Width(), window.screenWidth) << U8(saying);
        return label1.FontSize();
    }
};

TEST_F(Miniature, CardAndSayingsFitTheWindow) {
    const char16_t* const wide = u"ゴン太、ええかげんにせえよ！";  // 14 full-width
    const char16_t* const narrow = u"またかいなぁ～";              // 7
    const char16_t* const mixed = u"すんまへん...ポリポリ";        // 9 full, 3 half
    const struct {
        float width, height;
        std::int16_t largeCard, smallCard;
        float wideSaying, narrowSaying, mixedSaying;
    } cases[] = {
        // scale 7/48: the large card from 102 points down to the window's
        // height; the saying from 10.5 points, in 3-point steps
        {152, 112, 70, 10, 7.5f, 10.5f, 10.5f},
        {200, 150, 93, 14, 8.25f, 14.25f, 14.25f},
        {320, 240, 149, 22, 16.5f, 22.5f, 22.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.width)) + " x " +
                     std::to_string(static_cast<int>(c.height)));
        ShowIn(c.width, c.height, 0);
        EXPECT_EQ(form.CardSize, c.largeCard);
        EXPECT_LT(label1.Height(), window.screenHeight);  // the last size tried
        ShowIn(c.width, c.height, 1);
        EXPECT_EQ(form.CardSize, c.smallCard);
        EXPECT_FLOAT_EQ(SayingPoints(wide), c.wideSaying);
        EXPECT_FLOAT_EQ(SayingPoints(narrow), c.narrowSaying);
        EXPECT_FLOAT_EQ(SayingPoints(mixed), c.mixedSaying);
    }
}

}  // namespace
}  // namespace kel::fake
