// The start phrase selector: what we test
//  - up raises the value from 1; at the item count n the top end comes down
//    to n for good and further up-clicks change nothing; down goes back to 1;
//  - dragging shows any value, the release brings it down to n;
//  - a file of one item, an empty file, more than 32,000 items;
//  - the first move replaces the saved number with the spinner's own value;
//  - typing in the editor changes neither the count nor the limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fakes.h"

namespace kel::fake {
namespace {

class DialogSelector : public DialogFixture {
protected:
    void LoadWithPhrases(int count, const std::string& frase = "0") {
        PutSettings("", "OneShot=1\r\n", "Frase_No=" + frase + "\r\n");
        PutNumberedPhrases(count);
        form.Load();
    }
};

TEST_F(DialogSelector, UpClicksCountToTheItemCountAndStopThere) {
    PutDefaultPhrases();  // 12 items
    form.Load();
    EXPECT_EQ(Label2(), "0");
    std::vector<std::string> shown;
    for (int i = 0; i < 13; ++i) {
        form.VScroll1.ArrowUp();
        shown.push_back(Label2());
        if (i == 10) {
            EXPECT_EQ(form.VScroll1.Min(), 12) << "the top end comes down as soon as 12 is reached";
        }
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9", "10",
                                               "11", "12", "12", "12"}));
    EXPECT_EQ(form.VScroll1.Min(), 12);
    EXPECT_EQ(form.VScroll1.Value(), 12);

    for (int i = 0; i < 11; ++i) form.VScroll1.ArrowDown();
    EXPECT_EQ(Label2(), "1");
    form.VScroll1.ArrowDown();
    EXPECT_EQ(form.VScroll1.Value(), 1) << "never below 1";
    form.VScroll1.ToTop();
    EXPECT_EQ(Label2(), "12") << "the narrowed range stays";
}

TEST_F(DialogSelector, DraggingShowsAnyValueAndTheReleaseComesDownToTheLimit) {
    LoadWithPhrases(12);
    const int top = form.VScroll1.PositionOf(32000);
    form.VScroll1.Track(form.VScroll1.PositionOf(500));
    EXPECT_EQ(Label2(), "500");
    form.VScroll1.Track(top);
    EXPECT_EQ(Label2(), "32000") << "no limit while dragging";
    EXPECT_EQ(form.VScroll1.Min(), 32000);
    form.VScroll1.Release(top);
    EXPECT_EQ(form.VScroll1.Value(), 12);
    EXPECT_EQ(form.VScroll1.Min(), 12);
    EXPECT_EQ(Label2(), "12");
}

TEST_F(DialogSelector, OneItemPullsTheFirstUpClickBackToOne) {
    LoadWithPhrases(1);
    EXPECT_EQ(form.MsgLast, 0);
    form.VScroll1.ArrowUp();
    EXPECT_EQ(form.VScroll1.Min(), 1);
    EXPECT_EQ(form.VScroll1.Value(), 1);
    EXPECT_EQ(Label2(), "1");
}

TEST_F(DialogSelector, EmptyPhraseFileNeverOffersLessThanOne) {
    PutSettings("", "OneShot=1\r\n", "");
    PutFile(kDat, "");
    form.Load();
    EXPECT_EQ(form.MsgLast, -1);
    EXPECT_EQ(form.Label1.Caption(), u"表示するメッセージ \uFF1A\u3000" u"0 フレーズ");
    form.VScroll1.ArrowUp();
    form.VScroll1.ArrowUp();
    EXPECT_EQ(form.VScroll1.Value(), 1);
    EXPECT_EQ(Label2(), "1");
}

TEST_F(DialogSelector, SavedNumberGivesWayToTheSpinnerAtTheFirstMove) {
    LoadWithPhrases(12, "7");
    EXPECT_EQ(Label2(), "7");
    form.VScroll1.ArrowUp();
    EXPECT_EQ(Label2(), "2");
    window.Unload();
    EXPECT_EQ(profile.writes.back(), "StartUp/Frase_No=2");
}

TEST_F(DialogSelector, MoreItemsThanTheSpinnerHoldsStopsAtItsTop) {
    LoadWithPhrases(32500);
    EXPECT_EQ(form.MsgLast, 32499);
    form.VScroll1.ToTop();
    form.VScroll1.ArrowUp();
    EXPECT_EQ(form.VScroll1.Value(), 32000);
    EXPECT_EQ(form.VScroll1.Min(), 32000);
    EXPECT_EQ(Label2(), "32000");
}

TEST_F(DialogSelector, EditingTheTextChangesNeitherTheCountNorTheLimit) {
    LoadWithPhrases(3);
    const std::u16string count = form.Label1.Caption();
    form.Text1.SetText(form.Text1.Text() + u"a\r\nb\r\nc\r\nd\r\n");
    for (int i = 0; i < 5; ++i) form.VScroll1.ArrowUp();
    EXPECT_EQ(Label2(), "3");
    EXPECT_EQ(form.Label1.Caption(), count);
}

}  // namespace
}  // namespace kel::fake
