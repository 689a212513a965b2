// What we test: one tick of Timer1 against the recording fakes.
//  - the order of a whole tick's effects (title card, saying, closing sound,
//    wait phase, hide) and the next index in list order;
//  - index 0, empty lines, a start index one past the last line, an index
//    outside the table (brought back into range, never below 0);
//  - ViewMode 9 and random order (one line; the spread over 12 lines);
//  - which cue plays for each combination of Sound and Speak;
//  - the fit loop, its floor and the centring;
//  - input during the title card and the wait phase, the one-shot end, a
//    timer expiry inside a tick, and the background colour's step.
#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <map>
#include <string>

#include "saver/rnd.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

class Tick : public SaverFixture {
protected:
    Tick() {
        form.KeySound.assign(8788, 1);
        form.TitleSound.assign(88268, 2);
        form.ViewMode = 0;
        form.Sound = 1;
        form.Speak = 0;
        form.OneShot = 0;
        form.CardSize = 100;
    }

    void Phrases(std::initializer_list<const char16_t*> lines) {
        std::int16_t count = 0;
        for (const char16_t* line : lines) form.MsgList[count++] = line;
        form.MsgCount = count;
    }

    void StartAt(std::int16_t index) {
        form.MsgNo = index;
        form.Frase_No = index;
    }

    // The log with runs of one entry written as "entry xN".
    static Log Collapsed(const Log& in) {
        Log out;
        for (std::size_t i = 0; i < in.size();) {
            std::size_t j = i;
            while (j < in.size() && in[j] == in[i]) ++j;
            out.push_back(j - i == 1 ? in[i] : in[i] + " x" + std::to_string(j - i));
            i = j;
        }
        return out;
    }

    int Count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }

    // The title card's cards: each is a caption given to Label1 while hidden
    // right before it (the whole saying follows the hiding of Label2).
    std::vector<std::string> Cards() const {
        std::vector<std::string> cards;
        const std::string prefix = "caption Label1 ";
        for (std::size_t i = 1; i < log.size(); ++i) {
            if (log[i].rfind(prefix, 0) == 0 && log[i - 1] == "hide Label1") {
                cards.push_back(log[i].substr(prefix.size()));
            }
        }
        return cards;
    }
};

TEST_F(Tick, PresentsOneSayingInOrder) {
    Phrases({u"*** 題 ***", u"あい", u"まっ"});
    StartAt(2);
    form.Timer1_Timer();

    const Log expected = {
        "backcolor 0",
        "caption Label1 ", "caption Label2 ",
        // the title card
        "hide Label2", "caption Label1 \u3000",
        "hide Label1", "caption Label1 ま", "show Label1", "pump", "clack", "sleep 200",
        "hide Label1", "caption Label1 っ", "show Label1", "pump", "clack", "sleep 200",
        "caption Label1 ", "pump",
        // the whole saying: on screen, then its closing sound, then the wait
        "hide Label1", "hide Label2", "caption Label1 まっ",
        "show Label1", "pump", "closing",
        "show Label1", "pump", "wait 2000",
        "hide Label1", "pump",
    };
    EXPECT_EQ(Collapsed(log), expected);
    EXPECT_EQ(window.sleptMs, 2 * 200 + 2000);
    EXPECT_EQ(label1.FontSize(), 72.0f);
    EXPECT_EQ(form.MsgNo, 1);
    EXPECT_EQ(form.Frase_No, 1);
    EXPECT_EQ(form.Armed, 1);
    EXPECT_EQ(form.BackCol, 1);
}

TEST_F(Tick, WaitPhaseKeepsTheSayingOnScreenForItsOneWait) {
    Phrases({u"題", u"一"});
    StartAt(1);
    form.Sound = 0;
    int waitsShowing = 0;
    window.onWait = [&](int) {
        if (label1.Visible() && label1.Caption() == u"一") ++waitsShowing;
    };
    form.Timer1_Timer();
    EXPECT_EQ(waitsShowing, 1);
    EXPECT_EQ(window.waits, 1);
    EXPECT_FALSE(label1.Visible());
}

TEST_F(Tick, IndexZeroIsShownPlainlyAndWrapsToTheLastLine) {
    Phrases({u"*** 題 ***", u"一", u"二", u"三"});
    StartAt(0);
    form.Timer1_Timer();
    EXPECT_TRUE(Cards().empty());
    EXPECT_EQ(Count("sleep 200"), 0);
    EXPECT_EQ(Count("closing"), 0);
    EXPECT_EQ(Count("caption Label1 *** 題 ***"), 1);
    EXPECT_EQ(form.MsgNo, 3);
    EXPECT_EQ(form.Frase_No, 3);

    // ... and with speech chosen the title line is not spoken either.
    log.clear();
    form.Speak = 1;
    StartAt(0);
    form.Timer1_Timer();
    EXPECT_EQ(Only({"speak"}), Log{});
}

TEST_F(Tick, EmptyLineStepsBackOnceToTheSayingBefore) {
    Phrases({u"題", u"一", u"二", u"", u"四"});
    StartAt(3);
    form.Timer1_Timer();
    EXPECT_TRUE(Cards().empty()) << "the empty line has no characters to reveal";
    EXPECT_EQ(Count("caption Label1 二"), 1);
    EXPECT_EQ(Count("closing"), 1);
    EXPECT_EQ(form.MsgNo, 1) << "saying 2 is not shown a second time";

    // An empty line at 1 shows the title line plainly.
    log.clear();
    Phrases({u"題", u"", u"二"});
    StartAt(1);
    form.Timer1_Timer();
    EXPECT_EQ(Count("caption Label1 題"), 1);
    EXPECT_EQ(Count("closing"), 0);
    EXPECT_EQ(form.MsgNo, 2);
}

TEST_F(Tick, TwoEmptyLinesShowAnEmptyLabelWithItsClosingSound) {
    Phrases({u"題", u"一", u"", u"", u"四"});
    StartAt(3);
    form.Timer1_Timer();
    EXPECT_EQ(Only({"caption Label1"}),
              (Log{"caption Label1 ", "caption Label1 \u3000", "caption Label1 ",
                   "caption Label1 "}));
    EXPECT_EQ(Count("closing"), 1);
    EXPECT_EQ(form.MsgNo, 1);
}

TEST_F(Tick, StartIndexOnePastTheLastLineShowsTheLastSaying) {
    Phrases({u"題", u"一", u"二", u"三"});
    StartAt(4);  // MsgCount
    form.Timer1_Timer();
    EXPECT_TRUE(Cards().empty());
    EXPECT_EQ(Count("caption Label1 三"), 1);
    EXPECT_EQ(Count("closing"), 1);
    EXPECT_EQ(form.MsgNo, 2);
}

TEST_F(Tick, IndexOutsideTheTableComesBackIntoRange) {
    Phrases({u"題", u"一", u"二"});
    StartAt(-5);
    form.Timer1_Timer();
    EXPECT_TRUE(Cards().empty());
    EXPECT_EQ(Count("caption Label1 二"), 1);
    EXPECT_EQ(form.MsgNo, 1);

    // An empty title line at 0 wraps to the last line instead of going to -1.
    log.clear();
    Phrases({u"", u"一", u"二"});
    StartAt(0);
    form.Timer1_Timer();
    EXPECT_EQ(Count("caption Label1 二"), 1);
    EXPECT_EQ(form.MsgNo, 1);
}

TEST_F(Tick, NothingLoadedStaysAtZeroInEitherOrder) {
    form.MsgCount = 0;
    for (std::int16_t mode : {0, 1}) {
        form.ViewMode = mode;
        StartAt(0);
        for (int tick = 0; tick < 5; ++tick) {
            form.Timer1_Timer();
            EXPECT_EQ(form.MsgNo, 0) << "mode " << mode << " tick " << tick;
            EXPECT_EQ(form.Frase_No, 0);
        }
    }
    EXPECT_EQ(form.BackCol, 10);
}

TEST_F(Tick, ListOrderCountsDownAndWraps) {
    Phrases({u"題", u"一", u"二"});
    StartAt(1);
    std::vector<int> shown;
    for (int tick = 0; tick < 5; ++tick) {
        shown.push_back(form.MsgNo);
        form.Timer1_Timer();
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 0, 2, 1, 0}));
}

TEST_F(Tick, UnknownViewModeShowsTheFirstSayingTwiceThenListOrder) {
    Phrases({u"題", u"一つ", u"二つ", u"三つ"});
    StartAt(3);
    form.ViewMode = 9;
    form.Timer1_Timer();
    EXPECT_EQ(form.ViewMode, 0);
    EXPECT_EQ(form.MsgNo, 3);
    EXPECT_EQ(form.Frase_No, 3);
    form.Timer1_Timer();
    EXPECT_EQ(form.MsgNo, 2);
    EXPECT_EQ(Count("caption Label1 三つ"), 2);
}

TEST_F(Tick, RandomOrderWithOnlyTheTitleLineAlwaysShowsIt) {
    Phrases({u"題"});
    StartAt(0);
    form.ViewMode = 1;
    for (int tick = 0; tick < 30; ++tick) {
        form.Timer1_Timer();
        ASSERT_EQ(form.MsgNo, 0);
    }
}

TEST_F(Tick, RandomOrderOverTwelveLinesMakesBothEndsHalfAsLikely) {
    Phrases({u"題", u"一", u"二", u"三", u"四", u"五", u"六", u"七", u"八", u"九", u"十",
             u"十一"});
    form.ViewMode = 1;
    form.Sound = 0;
    StartAt(0);
    constexpr int kTicks = 4400;  // 200 expected at each end, 400 in between
    std::map<int, int> seen;
    std::vector<int> firstIndexes;
    for (int tick = 0; tick < kTicks; ++tick) {
        log.clear();
        form.Timer1_Timer();
        ++seen[form.MsgNo];
        if (firstIndexes.size() < 40) firstIndexes.push_back(form.MsgNo);
        ASSERT_EQ(form.Frase_No, form.MsgNo);
    }
    ASSERT_EQ(seen.begin()->first, 0);
    ASSERT_EQ(seen.rbegin()->first, 11);
    for (const auto& [index, times] : seen) {
        const double expected = (index == 0 || index == 11) ? kTicks / 22.0 : kTicks / 11.0;
        EXPECT_NEAR(times, expected, expected * 0.25) << "index " << index;
    }

    // The sequence starts from the same state in every run.
    Log otherLog;
    FakeLabel l1("Label1", otherLog), l2("Label2", otherLog);
    FakeWindow w(otherLog);
    FakeSound s(otherLog);
    FakeSpeaker sp(otherLog);
    FakeProcess pr(otherLog);
    SaverPlatform other{l1, l2, w, s, sp, files, profile, codec, pr};
    Form1 again(other);
    again.MsgList = form.MsgList;
    again.MsgCount = 12;
    again.ViewMode = 1;
    std::vector<int> againIndexes;
    for (std::size_t tick = 0; tick < firstIndexes.size(); ++tick) {
        again.Timer1_Timer();
        againIndexes.push_back(again.MsgNo);
    }
    EXPECT_EQ(againIndexes, firstIndexes);
}

TEST(RndSequence, SingleValuesInUnitIntervalSameEveryRun) {
    Rnd a, b;
    double sum = 0;
    float lowest = 1, highest = 0;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const float r = a.Next();
        ASSERT_EQ(r, b.Next());
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        sum += r;
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);
}

struct CueCase {
    std::int16_t sound, speak;
    int clacks, closings, speeches;
};

TEST_F(Tick, CuesFollowSoundAndSpeak) {
    const CueCase cases[] = {
        {1, 0, 4, 1, 0}, {1, 1, 0, 0, 1}, {1, 88, 0, 0, 0},
        {0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {8, 88, 0, 0, 0},
    };
    Phrases({u"題", u"また明日"});
    for (const CueCase& c : cases) {
        log.clear();
        form.Sound = c.sound;
        form.Speak = c.speak;
        StartAt(1);
        form.Timer1_Timer();
        const std::string what = "Sound " + std::to_string(c.sound) + " Speak " +
                                 std::to_string(c.speak);
        EXPECT_EQ(Count("clack"), c.clacks) << what;
        EXPECT_EQ(Count("closing"), c.closings) << what;
        EXPECT_EQ(Count("speak また明日"), c.speeches) << what;
    }
}

TEST_F(Tick, ClosingSoundStartsAfterTheSayingIsOnScreen) {
    Phrases({u"題", u"一"});
    StartAt(1);
    form.Timer1_Timer();
    const Log around = Only({"show Label1", "hide Label1", "closing", "caption Label1 一"});
    EXPECT_EQ(around, (Log{"hide Label1", "caption Label1 一", "show Label1",  // the card
                           "hide Label1", "caption Label1 一", "show Label1",  // the saying
                           "closing", "show Label1", "hide Label1"}));
}

TEST_F(Tick, SpeechComesBeforeTheSayingIsShownAndItsFailureIsSilent) {
    Phrases({u"題", u"一"});
    StartAt(1);
    form.Speak = 1;
    speaker.fail = true;
    form.Timer1_Timer();
    const Log order = Only({"show Label1", "hide Label1", "speak"});
    const auto speak = std::find(order.begin(), order.end(), "speak 一");
    ASSERT_NE(speak, order.end());
    EXPECT_EQ(*(speak - 1), "hide Label1");
    EXPECT_EQ(*(speak + 1), "show Label1");
    // the failing call was skipped: the wait phase and the next index follow
    EXPECT_EQ(window.sleptMs, 200 + 2000);
    EXPECT_EQ(form.MsgNo, 0);
}

TEST_F(Tick, FitLoopShrinksInThreePointStepsUntilTheSayingFits) {
    // 20 full-width characters: 400 twips per point; the screen is 15,360.
    Phrases({u"題", u"あいうえおかきくけこさしすせそたちつてと"});
    StartAt(1);
    form.Sound = 0;
    form.CardSize = 72;
    label1.logGeometry = true;
    form.Timer1_Timer();

    const auto from = std::find(log.begin(), log.end(),
                                "caption Label1 あいうえおかきくけこさしすせそたちつてと");
    const auto to = std::find(from, log.end(), "show Label1");
    ASSERT_NE(to, log.end());
    Log fit;
    for (int size = 69; size >= 36; size -= 3) {
        fit.push_back("size Label1 " + std::to_string(size));
        fit.push_back("pump");
    }
    fit.push_back("left Label1 480");   // (15360 - 36 x 400) / 2
    fit.push_back("top Label1 5328");   // (11520 - 36 x 24) / 2
    EXPECT_EQ(Log(from + 1, to), fit);
    EXPECT_EQ(label1.FontSize(), 36.0f);
}

TEST_F(Tick, FitLoopKeepsASayingExactlyAsWideAsTheScreen) {
    Phrases({u"題", u"あいうえおかきくけこさしすせそたちつてと"});
    StartAt(1);
    window.screenWidth = 28800.0f;  // 20 x 20 x 72
    form.Timer1_Timer();
    EXPECT_EQ(label1.FontSize(), 72.0f);
    EXPECT_EQ(label1.Left(), 0.0f);
}

TEST_F(Tick, FitLoopStopsAtTheSmallestSizeTheFontEngineTakes) {
    Phrases({u"題", u"x"});
    form.MsgList[1] = std::u16string(200, u'あ');  // never fits at 10 points or more
    StartAt(1);
    form.Sound = 0;
    form.CardSize = 72;
    label1.minimumPoints = 10.0f;
    form.Timer1_Timer();
    EXPECT_EQ(label1.FontSize(), 12.0f);
    EXPECT_EQ(label1.Left(), (15360.0f - 200 * 20 * 12) / 2);
    EXPECT_EQ(window.sleptMs, 200 * 200 + 2000) << "the tick goes on after the floor";
    EXPECT_EQ(form.MsgNo, 0);
}

TEST_F(Tick, FitLoopStopsWhenTheLabelNoLongerShrinks) {
    Phrases({u"題", u"あいうえおかきくけこさしすせそたちつてと"});
    StartAt(1);
    form.Sound = 0;
    label1.sizeQuantum = 8.0f;  // 69 points render as 72 again
    form.Timer1_Timer();
    EXPECT_EQ(label1.FontSize(), 72.0f);
    EXPECT_EQ(form.MsgNo, 0);
}

TEST_F(Tick, FitLoopGoesOnWhereTheWidthStallsForOneStep) {
    // Advances rounded to 6-point steps: 72 and 69 points are equally wide.
    label1.emWidthForSize = [](float points) { return 120.0f * std::ceil(points / 6.0f); };
    Phrases({u"題", u"あいうえおかきくけこさしすせそたちつてと"});
    StartAt(1);
    form.Sound = 0;
    form.Timer1_Timer();
    EXPECT_EQ(label1.FontSize(), 36.0f);  // 20 x 120 x 6 = 14,400 twips fit 15,360
}

TEST_F(Tick, TooLongForTheTitleCardTheSayingIsStillShown) {
    Phrases({u"題", u"x"});
    form.MsgList[1] = std::u16string(40000, u'あ');  // more than 32,767 characters
    StartAt(1);
    form.Sound = 0;
    form.Timer1_Timer();
    EXPECT_TRUE(Cards().empty());
    EXPECT_EQ(Count("sleep 200"), 0);
    EXPECT_EQ(label1.Caption(), form.MsgList[1]);
    EXPECT_EQ(window.sleptMs, 2000);
    EXPECT_EQ(form.MsgNo, 0);
}

TEST_F(Tick, InputDuringTheFirstTitleCardEndsWithTheStartIndex) {
    Phrases({u"題", u"一", u"二", u"三"});
    for (int input = 0; input < 2; ++input) {
        log.clear();
        profile.writes.clear();
        form.Armed = 0;
        StartAt(3);
        window.pumps = 0;
        window.onPump = [&](int pump) {
            if (pump != 1) return;
            if (input == 0) form.MouseMove();
            else form.KeyDown();
        };
        ExpectEnds([&] { form.Timer1_Timer(); });
        EXPECT_EQ(profile.writes, Log{"StartUP/Frase_No=3"});
        EXPECT_EQ(Cards(), std::vector<std::string>{"三"});
        EXPECT_EQ(Log(log.end() - 2, log.end()), (Log{"unload", "end"}));
        EXPECT_EQ(Count("clack"), 0) << "ends at the pump, before the clack";
    }
}

TEST_F(Tick, InputDuringTheWaitPhaseEndsWithTheIndexOnScreen) {
    Phrases({u"題", u"一", u"二", u"三"});
    StartAt(2);
    window.onWait = [&](int) { form.MouseMove(); };
    ExpectEnds([&] { form.Timer1_Timer(); });
    EXPECT_EQ(profile.writes, Log{"StartUP/Frase_No=2"});
    EXPECT_EQ(form.MsgNo, 2);
    EXPECT_EQ(window.waits, 1);
    EXPECT_EQ(Log(log.end() - 2, log.end()), (Log{"unload", "end"}));
    EXPECT_TRUE(label1.Visible()) << "ended with the saying still on screen";
}

TEST_F(Tick, OneShotIgnoresMovementThenEndsWritingTheNextIndex) {
    Phrases({u"題", u"一", u"二", u"三"});
    StartAt(2);
    form.OneShot = 1;
    window.onPump = [&](int) { form.MouseMove(); };
    window.onWait = [&](int) { form.MouseMove(); };
    ExpectEnds([&] { form.Timer1_Timer(); });
    EXPECT_EQ(window.sleptMs, 200 + 2000);
    EXPECT_EQ(profile.writes, Log{"StartUP/Frase_No=1"});
    EXPECT_EQ(Log(log.end() - 5, log.end()),
              (Log{"hide Label1", "pump", "timer off", "unload", "end"}));
    EXPECT_FALSE(window.timerEnabled);
    EXPECT_EQ(form.BackCol, 0) << "nothing runs after the end";
}

TEST_F(Tick, OneShotInRandomOrderWritesTheChosenIndex) {
    Phrases({u"題", u"一", u"二", u"三"});
    StartAt(0);
    form.OneShot = 1;
    form.ViewMode = 1;
    ExpectEnds([&] { form.Timer1_Timer(); });
    ASSERT_EQ(profile.writes.size(), 1u);
    EXPECT_EQ(profile.writes[0], "StartUP/Frase_No=" + std::to_string(form.MsgNo));
    EXPECT_GE(form.MsgNo, 0);
    EXPECT_LE(form.MsgNo, 3);
}

TEST_F(Tick, TimerExpiryInsideATickIsDropped) {
    Phrases({u"題", u"一", u"二"});
    StartAt(2);
    window.onPump = [&](int) { form.Timer1_Timer(); };
    window.onWait = [&](int wait) {
        if (wait % 500 == 1) form.Timer1_Timer();
    };
    form.Timer1_Timer();
    EXPECT_EQ(Count("backcolor 0"), 1);
    EXPECT_EQ(Only({"backcolor"}).size(), 1u);
    EXPECT_EQ(form.MsgNo, 1);
    EXPECT_EQ(form.BackCol, 1);

    // ... and the next expiry after it runs a tick as usual.
    window.onPump = nullptr;
    window.onWait = nullptr;
    form.Timer1_Timer();
    EXPECT_EQ(form.MsgNo, 0);
}

TEST_F(Tick, BackgroundCreepsOneStepPerTickAndWidens) {
    Phrases({u"題"});
    StartAt(0);
    form.Timer1_Timer();
    form.Timer1_Timer();
    EXPECT_EQ(Only({"backcolor"}), (Log{"backcolor 0", "backcolor 1"}));
    EXPECT_EQ(window.backColor, 1u);

    form.BackCol = 32767;
    form.Timer1_Timer();
    EXPECT_EQ(window.backColor, 32767u);
    EXPECT_EQ(form.BackCol, 32768);
}

}  // namespace
}  // namespace kel::fake
