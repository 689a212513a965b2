// What we test: the title card on its own. Each character gets its own card
// (hidden while its caption changes and it moves, centred at the card size,
// shown, pumped, clacked, 200 ms without pumping); spaces are cards like any
// other; the clack only with Sound 1 and Speak 0; what the card leaves behind;
// an unreadable index; input at a card's pump ending the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

class TitleCard : public SaverFixture {
protected:
    TitleCard() {
        form.CardSize = 100;  // a full-width card: 2,000 x 2,400 twips
        form.Sound = 1;
        form.Speak = 0;
        form.MsgNo = 1;
        form.MsgCount = 2;
        form.MsgList[0] = u"題";
    }

    struct Card {
        std::u16string caption;
        float left, top, size;
        bool visible;
    };

    // What is on screen at every pump.
    std::vector<Card> CardsAtPumps() {
        std::vector<Card> seen;
        window.onPump = [this, &seen](int) {
            seen.push_back({label1.Caption(), label1.Left(), label1.Top(), label1.FontSize(),
                            label1.Visible()});
        };
        form.Lupin3();
        return seen;
    }
};

// One card per character; a character outside the Basic Multilingual Plane
// (two UTF-16 code units) is one card, never two halves.
TEST_F(TitleCard, OneCardPerCharacterInOrder) {
    const std::pair<std::u16string, std::vector<const char*>> cases[] = {
        {u"またかいなぁ～", {"ま", "た", "か", "い", "な", "ぁ", "～"}},
        {u"\U00020BB7野家", {"\U00020BB7", "野", "家"}},
    };
    for (const auto& [saying, cards] : cases) {
        log.clear();
        window.sleptMs = 0;
        form.MsgList[1] = saying;
        form.Lupin3();
        Log expected = {"hide Label2", "caption Label1 \u3000"};
        for (const char* c : cards) {
            for (const std::string& e :
                 {std::string("hide Label1"), "caption Label1 " + std::string(c),
                  std::string("show Label1"), std::string("pump"), std::string("clack"),
                  std::string("sleep 200")}) {
                expected.push_back(e);
            }
        }
        expected.push_back("caption Label1 ");
        expected.push_back("pump");
        EXPECT_EQ(log, expected);
        EXPECT_EQ(window.sleptMs, 200u * cards.size());
    }
}

TEST_F(TitleCard, EveryCardIsCentredAndShownAtTheCardSizeWhenPumped) {
    form.MsgList[1] = u"あ い";  // kana, half-width space, kana
    const std::vector<Card> seen = CardsAtPumps();
    ASSERT_EQ(seen.size(), 4u);
    const std::u16string captions[] = {u"あ", u" ", u"い"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].caption, captions[i]);
        EXPECT_TRUE(seen[i].visible);
        EXPECT_EQ(seen[i].size, 100.0f);
        // full-width: (15360 - 2000) / 2; the half-width space: (15360 - 1000) / 2
        EXPECT_EQ(seen[i].left, i == 1 ? 7180.0f : 6680.0f);
        EXPECT_EQ(seen[i].top, (11520.0f - 2400.0f) / 2);
    }
    EXPECT_EQ(Only({"clack"}).size(), 3u);
    EXPECT_EQ(window.sleptMs, 600);
    // Left visible, empty, at the card size, where the last card stood.
    EXPECT_EQ(seen[3].caption, u"");
    EXPECT_TRUE(label1.Visible());
    EXPECT_EQ(label1.FontSize(), 100.0f);
    EXPECT_EQ(label1.Left(), 6680.0f);
}

TEST_F(TitleCard, BlankCardIsCentredBeforeTheFirstCharacter) {
    form.MsgList[1] = u"";
    label1.logGeometry = true;
    form.Lupin3();
    EXPECT_EQ(log, (Log{"hide Label2", "caption Label1 \u3000", "size Label1 100",
                        "left Label1 6680", "top Label1 4560", "caption Label1 ", "pump"}));
    EXPECT_FALSE(label1.Visible()) << "an empty saying leaves the visibility as it was";
    EXPECT_EQ(window.sleptMs, 0);
}

TEST_F(TitleCard, ClacksOnlyWithTypingSounds) {
    struct Case {
        std::int16_t sound, speak;
        std::size_t clacks;
    };
    form.MsgList[1] = u"あいう";
    for (const Case& c : {Case{1, 0, 3}, Case{1, 1, 0}, Case{1, 88, 0}, Case{0, 0, 0},
                          Case{8, 0, 0}}) {
        log.clear();
        form.Sound = c.sound;
        form.Speak = c.speak;
        form.Lupin3();
        EXPECT_EQ(Only({"clack"}).size(), c.clacks) << c.sound << "/" << c.speak;
        EXPECT_EQ(Only({"sleep 200"}).size(), 3u) << "the pause does not depend on the sound";
    }
}

TEST_F(TitleCard, UnreadableIndexFailsAfterTheBlankCard) {
    form.MsgNo = -1;
    EXPECT_THROW(form.Lupin3(), KelError);
    EXPECT_EQ(log, (Log{"hide Label2", "caption Label1 \u3000"}));
}

TEST_F(TitleCard, LongestCountableSayingFailsAfterItsLastCard) {
    form.MsgList[1] = std::u16string(32767, u'あ');
    form.MsgList[1].back() = u'ん';
    form.Sound = 0;
    EXPECT_THROW(form.Lupin3(), KelError);
    EXPECT_EQ(label1.Caption(), u"ん") << "the last card stays; the label is not cleared";
    EXPECT_EQ(window.sleptMs, 32767L * 200);
}

TEST_F(TitleCard, MovementAtACardsPumpEndsTheProgram) {
    form.MsgList[1] = u"あいう";
    form.Armed = 1;
    form.Frase_No = 1;
    window.onPump = [&](int pump) {
        if (pump == 2) form.MouseMove();
    };
    ExpectEnds([&] { form.Lupin3(); });
    EXPECT_EQ(profile.writes, Log{"StartUP/Frase_No=1"});
    EXPECT_EQ(Only({"clack"}).size(), 1u);
    EXPECT_EQ(label1.Caption(), u"い");
}

}  // namespace
}  // namespace kel::fake
