// The phrase editor's load and save: what we test
//  - the item rule as the editor shows it: commas split, quotes keep commas,
//    leading blanks go, an empty line counts but shows nothing, the last line
//    needs no CR LF, ideographic commas do not split;
//  - the save adds exactly one CR LF, in code page 932;
//  - the round trip of the default file: the first save adds one empty line,
//    a second unchanged save writes the same bytes, and the count grows by
//    one item;
//  - the count stops at 32,767 instead of overflowing.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fakes.h"

namespace kel::fake {
namespace {

class DialogPhrases : public DialogFixture {
protected:
    // Loads a phrase file of these bytes into a fresh dialog.
    void Read(const std::string& bytes) {
        PutFile(kDat, bytes);
        form.MsgRead();
    }
    std::string Count() const {
        const std::u16string caption = form.Label1.Caption();
        const std::size_t start = caption.find(u'\u3000') + 1;
        return U8(caption.substr(start, caption.find(u' ', start) - start));
    }
};

TEST_F(DialogPhrases, CommasSplitLinesIntoItemsEachOnItsOwnLine) {
    Read("title\r\none,two,three\r\nlast");
    EXPECT_EQ(form.Text1.Text(), u"title\r\none\r\ntwo\r\nthree\r\nlast\r\n");
    EXPECT_EQ(Count(), "5");
    EXPECT_EQ(form.MsgLast, 4);
}

TEST_F(DialogPhrases, QuotedItemsKeepTheirCommasAndLoseTheirQuotes) {
    Read("\"a, b\",c\r\n  \"  quoted blanks \"\r\n");
    EXPECT_EQ(form.Text1.Text(), u"a, b\r\nc\r\n  quoted blanks \r\n");
    EXPECT_EQ(Count(), "3");
}

TEST_F(DialogPhrases, LeadingBlanksGoAndEmptyLinesCountWithoutShowing) {
    Read("   indented\r\n\r\nafter\r\n\r\n");
    EXPECT_EQ(form.Text1.Text(), u"indented\r\nafter\r\n");
    EXPECT_EQ(Count(), "4");
}

TEST_F(DialogPhrases, JapaneseTextAndIdeographicCommasStayWhole) {
    Read(Sjis(u"格言、迷言，その他､色々\r\nまたかいなぁ～"));
    EXPECT_EQ(form.Text1.Text(), u"格言、迷言，その他､色々\r\nまたかいなぁ～\r\n");
    EXPECT_EQ(Count(), "2");
}

TEST_F(DialogPhrases, SaveAddsOneLineEndInCodePage932) {
    Read("x\r\n");
    form.Text1.SetText(u"すんまへん...ポリポリ");
    ASSERT_TRUE(form.MsgWrite());
    EXPECT_EQ(FileBytes(kDat), Sjis(u"すんまへん...ポリポリ") + "\r\n");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DialogPhrases, DefaultFileRoundTripSettlesAfterTheFirstSave) {
    PutDefaultPhrases();
    const std::string original = FileBytes(kDat);
    form.MsgRead();
    ASSERT_TRUE(form.MsgWrite());
    const std::string first = FileBytes(kDat);
    EXPECT_EQ(first, original + "\r\n") << "one empty 13th line";

    Form2 second(platform);
    second.MsgRead();
    EXPECT_EQ(second.Text1.Text(), form.Text1.Text());
    EXPECT_EQ(second.MsgLast, 12);
    EXPECT_EQ(second.Label1.Caption(), u"表示するメッセージ \uFF1A\u3000" u"13 フレーズ");
    ASSERT_TRUE(second.MsgWrite());
    EXPECT_EQ(FileBytes(kDat), first);
}

TEST_F(DialogPhrases, ItemCountStopsAtItsLargestValue) {
    std::string bytes;
    for (int i = 0; i < 33000; ++i) bytes += "x,";
    Read(bytes);
    EXPECT_EQ(Count(), "32767");
    EXPECT_EQ(form.MsgLast, 32766);
}

}  // namespace
}  // namespace kel::fake
