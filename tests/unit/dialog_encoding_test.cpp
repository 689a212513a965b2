// The phrase file's encoding through the dialog's load and save: what we test
//  - code page 932's second codes (NEC's row 13, the IBM extensions) are
//    written back as the file had them; a line that holds a character in
//    both codes is named before the save makes them one;
//  - what a save writes, the next load reads as the same text: a Shift-JIS
//    line whose bytes are valid UTF-8 stays Shift-JIS; Shift-JIS text the
//    next load would take for UTF-8 is saved as UTF-8 with the mark once the
//    user agrees (fuzz/dialog_save_fuzz.cpp checks this of every save).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fakes.h"

namespace kel::fake {
namespace {

class DialogEncoding : public DialogFixture {};

TEST_F(DialogEncoding, NecRow13AndIbmCodesKeepTheirBytes) {
    const std::string bytes = "title\r\n\x87\x90\x87\x9A\x87\x40\xED\x40\xFA\x40\r\n\r\n";  // ≒∵①纊ⅰ
    PutFile(kDat, bytes);
    form.MsgRead();
    EXPECT_EQ(form.Text1.Text(), u"title\r\n\u2252\u2235\u2460\u7E8A\u2170\r\n");
    ASSERT_TRUE(form.MsgWrite());
    EXPECT_EQ(FileBytes(kDat), bytes);
    EXPECT_TRUE(messages.questions.empty() && messages.messages.empty());
}

TEST_F(DialogEncoding, LineWithTheOtherCodeOfACharacterIsNamed) {
    PutFile(kDat, "title\r\n\x81\xE0\r\n\x87\x90\r\n\r\n");  // ≒ in both codes
    form.MsgRead();
    messages.agree = true;
    ASSERT_TRUE(form.MsgWrite());
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_NE(messages.questions[0].find("\r\n2 行目\r\n"), std::string::npos);
    EXPECT_EQ(FileBytes(kDat), "title\r\n\x87\x90\r\n\x87\x90\r\n\r\n");
}

// Editor text "\uE0FF"拠: the next load drops the quotes, and the bytes of a
// user-defined character and 拠, F1 84 8B 92, are valid UTF-8 as well.
TEST_F(DialogEncoding, ShiftJisThatIsValidUtf8ReadsTheSameAfterEverySave) {
    PutFile(kDat, "title\r\n");
    form.MsgRead();
    form.Text1.SetText(u"\"\uE0FF\"\u62E0");
    ASSERT_TRUE(form.MsgWrite());
    std::vector<std::string> saves;
    for (int i = 0; i < 2; ++i) {
        Form2 again(platform);
        again.MsgRead();
        EXPECT_EQ(again.Text1.Text(), u"\uE0FF\u62E0\r\n");
        ASSERT_TRUE(again.MsgWrite());
        saves.push_back(FileBytes(kDat));
    }
    EXPECT_EQ(saves[0], "\xF1\x84\x8B\x92\r\n\r\n");
    EXPECT_EQ(saves[1], saves[0]);
    EXPECT_TRUE(messages.questions.empty());
}

// 縺係 in Shift-JIS reads as がW in UTF-8.
TEST_F(DialogEncoding, ShiftJisTakenForUtf8IsSavedAsUtf8WithTheMarkOnceAgreed) {
    PutFile(kDat, "title\r\n");
    form.MsgRead();
    form.Text1.SetText(u"縺係");
    EXPECT_FALSE(form.MsgWrite());
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(FileBytes(kDat), "title\r\n");
    messages.agree = true;
    ASSERT_TRUE(form.MsgWrite());
    EXPECT_EQ(FileBytes(kDat), "\xEF\xBB\xBF縺係\r\n");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("UTF-8（BOM 付き）で保存しました"), std::string::npos);
}

}  // namespace
}  // namespace kel::fake
