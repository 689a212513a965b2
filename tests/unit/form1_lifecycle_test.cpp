// What we test: the saver window's Load order and what it leaves behind, the
// input rules (a click always ends; a key or a movement only once armed and
// never in one-shot mode, both compared with exactly 1), and the close step
// writing the start index into the settings file's start-up section.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

class Form1Lifecycle : public SaverFixture {};

TEST_F(Form1Lifecycle, LoadShowsTheWindowFullScreenBlackThenTopmost) {
    form.BackCol = 0;
    form.Load();
    EXPECT_EQ(form.KeySound.size(), 8788u);
    EXPECT_EQ(form.TitleSound.size(), 88268u);
    EXPECT_EQ(window.left, 0.0f);
    EXPECT_EQ(window.top, 0.0f);
    EXPECT_EQ(window.width, window.screenWidth);
    EXPECT_EQ(window.height, window.screenHeight);
    EXPECT_EQ(window.backColor, 0u);
    EXPECT_EQ(label1.ForeColor(), 0xFFFFFFu);
    EXPECT_EQ(label2.ForeColor(), 0xFFFFFFu);
    EXPECT_EQ(label1.Caption(), u"");
    EXPECT_EQ(form.Armed, 0);
    EXPECT_EQ(form.MsgNo, form.Frase_No);
    // Shown, then the timer, then the topmost request, in that order, last.
    const Log tail = Only({"show window", "timer", "topmost"});
    EXPECT_EQ(tail, (Log{"show window", "timer on", "topmost"}));
    EXPECT_EQ(log.back(), "topmost");
}

TEST_F(Form1Lifecycle, LoadFailsBeforeShowingWhenASoundIsMissing) {
    process.resources.erase(102);
    EXPECT_THROW(form.Load(), KelError);
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(profile.writes.empty());
}

TEST_F(Form1Lifecycle, ClickEndsAtAnyTimeAndSavesTheStartIndex) {
    for (std::int16_t armed : {0, 1}) {
        for (std::int16_t oneShot : {0, 1}) {
            profile.writes.clear();
            log.clear();
            form.Armed = armed;
            form.OneShot = oneShot;
            form.Frase_No = 5;
            ExpectEnds([&] { form.Click(); });
            EXPECT_EQ(profile.writes, (std::vector<std::string>{"StartUP/Frase_No=5"}));
            EXPECT_EQ(log, (Log{"unload", "end"}));  // unload (with its write), then the end
        }
    }
}

TEST_F(Form1Lifecycle, KeyAndMovementEndOnlyWhenArmedAndNotOneShot) {
    struct Case {
        std::int16_t armed, oneShot;
        bool ends;
    };
    const Case cases[] = {{0, 0, false}, {0, 1, false}, {1, 1, false}, {1, 0, true},
                          {1, 888, true}, {2, 0, false}, {1, -1, true}};
    for (const Case& c : cases) {
        for (int which = 0; which < 2; ++which) {
            form.Armed = c.armed;
            form.OneShot = c.oneShot;
            auto input = [&] { which == 0 ? form.KeyDown() : form.MouseMove(); };
            if (c.ends) {
                ExpectEnds(input);
            } else {
                EXPECT_NO_THROW(input()) << c.armed << "/" << c.oneShot;
            }
        }
    }
}

TEST_F(Form1Lifecycle, CloseWritesInPlaceIntoTheStartUpSectionWhateverItsCase) {
    files.files["c:\\windows\\kel.ini"] =
        "head\r\n\r\n[View]\r\nViewMode=0\r\n\r\n[STARTUP]\r\nFrase_No=0\r\n";
    form.Frase_No = -3;
    form.QueryUnload();
    EXPECT_EQ(files.files["c:\\windows\\kel.ini"],
              "head\r\n\r\n[View]\r\nViewMode=0\r\n\r\n[STARTUP]\r\nFrase_No=-3\r\n");
}

}  // namespace
}  // namespace kel::fake
