// The dialog's handlers and its close: what we test
//  - each option group sets its value; the check box greys and ungreys the
//    sound buttons without changing their selection; the mode buttons grey
//    the start phrase selector in continuous mode;
//  - every close writes the six keys in order, the start index being the
//    label's text as it stands; out-of-range values go back as read;
//  - the save button writes the phrases, then closes (settings second);
//  - a save that fails (file refused, characters code page 932 cannot hold)
//    says why, keeps the dialog open with the edits and the old file intact,
//    and writes nothing; a later close writes the settings as usual.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fakes.h"

namespace kel::fake {
namespace {

using Writes = std::vector<std::string>;

class DialogClose : public DialogFixture {
protected:
    void LoadDefaults() {
        PutDefaultSettings();
        PutDefaultPhrases();
        form.Load();
    }
};

TEST_F(DialogClose, OptionGroupsSetTheirValues) {
    LoadDefaults();
    form.Option2.UserClick();
    EXPECT_EQ(form.ViewMode, 1);
    form.Option1.UserClick();
    EXPECT_EQ(form.ViewMode, 0);
    form.Option3.UserClick();
    EXPECT_EQ(form.FontMode, 1);
    EXPECT_FALSE(form.Option4.Value());
    form.Option4.UserClick();
    EXPECT_EQ(form.FontMode, 0);
    form.Option5[0].UserClick();
    EXPECT_EQ(form.Speak, 0);
    form.Option5[1].UserClick();
    EXPECT_EQ(form.Speak, 1);
}

TEST_F(DialogClose, CheckBoxGreysTheSoundButtonsAndKeepsTheirSelection) {
    LoadDefaults();  // Sound 1, Speak 1
    form.Check1.UserClick();
    EXPECT_EQ(form.Sound, 0);
    EXPECT_FALSE(form.Option5[0].Enabled());
    EXPECT_FALSE(form.Option5[1].Enabled());
    EXPECT_TRUE(form.Option5[1].Value());
    EXPECT_EQ(form.Speak, 1);
    form.Check1.UserClick();
    EXPECT_EQ(form.Sound, 1);
    EXPECT_TRUE(form.Option5[0].Enabled());
    EXPECT_TRUE(form.Option5[1].Enabled());
}

TEST_F(DialogClose, ModeButtonsGreyTheSelectorInContinuousMode) {
    LoadDefaults();
    form.Option6[1].UserClick();
    EXPECT_EQ(form.OneShot, 1);
    EXPECT_TRUE(form.Label2.Enabled());
    EXPECT_TRUE(form.VScroll1.Enabled());
    form.Option6[0].UserClick();
    EXPECT_EQ(form.OneShot, 0);
    EXPECT_FALSE(form.Label2.Enabled());
    EXPECT_FALSE(form.VScroll1.Enabled());
}

TEST_F(DialogClose, CloseWritesTheSixKeysInOrderAsRead) {
    PutSettings("ViewMode=2\r\nFontMode=7\r\n", "Sound=1\r\nSpeak=1\r\n", "Frase_No=5\r\n");
    PutDefaultPhrases();
    form.Load();
    const std::string phrasesBefore = FileBytes(kDat);
    window.Unload();  // the close box
    EXPECT_EQ(profile.writes,
              (Writes{"View/ViewMode=2", "View/FontMode=0", "Mode/Sound=1", "Mode/Speak=1",
                      "Mode/OneShot=0", "StartUp/Frase_No=5"}));
    EXPECT_EQ(FileBytes(kDat), phrasesBefore);
}

TEST_F(DialogClose, CloseWithoutSettingsFileCreatesItWithTheSixKeysOnly) {
    PutDefaultPhrases();
    form.Load();
    window.Unload();
    EXPECT_EQ(FileBytes(kIni),
              "[View]\r\nViewMode=0\r\nFontMode=0\r\n[Mode]\r\nSound=0\r\nSpeak=0\r\nOneShot=0\r\n"
              "[StartUp]\r\nFrase_No=0\r\n");
}

TEST_F(DialogClose, CloseWritesTheChoicesAndTheNumberShownEvenWhenGreyed) {
    LoadDefaults();
    form.Option2.UserClick();
    form.Option3.UserClick();
    form.Check1.UserClick();
    form.Option6[1].UserClick();
    form.VScroll1.ArrowUp();
    form.VScroll1.ArrowUp();
    form.VScroll1.ArrowUp();
    form.Option6[0].UserClick();  // greyed again; the number still goes
    form.Text1.SetText(u"lost on a plain close\r\n");
    window.Unload();
    EXPECT_EQ(profile.writes,
              (Writes{"View/ViewMode=1", "View/FontMode=1", "Mode/Sound=0", "Mode/Speak=1",
                      "Mode/OneShot=0", "StartUp/Frase_No=4"}));
    EXPECT_EQ(FileBytes(kDat), Sjis(JoinWithCrLf(DefaultPhraseLines())));
}

TEST_F(DialogClose, SaveWritesThePhrasesThenTheSettingsThenCloses) {
    LoadDefaults();
    form.Text1.SetText(form.Text1.Text() + u"新しい一言");
    form.Command1_Click();
    EXPECT_EQ(FileBytes(kDat), Sjis(JoinWithCrLf(DefaultPhraseLines()) + u"新しい一言\r\n"));
    EXPECT_EQ(files.writes.front(), kDat) << "the phrases are written before the settings";
    EXPECT_EQ(window.unloads, 1);
    EXPECT_EQ(profile.writes.size(), 6u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DialogClose, RefusedSaveKeepsTheDialogOpenAndTheOldFile) {
    LoadDefaults();
    const std::string before = FileBytes(kDat);
    files.readOnly.insert(kDat);
    form.Text1.SetText(u"edited");
    form.Command1_Click();
    EXPECT_EQ(window.unloads, 0);
    EXPECT_TRUE(profile.writes.empty());
    EXPECT_EQ(FileBytes(kDat), before);
    EXPECT_EQ(form.Text1.Text(), u"edited");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("c:\\windows\\kel.dat"), std::string::npos)
        << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("access denied"), std::string::npos)
        << messages.messages[0];

    window.Unload();  // a later close writes the settings as usual
    EXPECT_EQ(profile.writes.size(), 6u);
    EXPECT_EQ(FileBytes(kDat), before);
}

// Bytes valid neither as Shift-JIS nor as UTF-8 would change on a save: it is
// written only once the user agrees, and the question names the line.
TEST_F(DialogClose, FileValidInNeitherEncodingIsSavedOnlyWhenTheUserAgrees) {
    PutDefaultSettings();
    const std::string bytes = "title\r\nok\r\nbad\x81\x7F\r\n";
    PutFile(kDat, bytes);
    form.Load();
    form.Command1_Click();
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_NE(messages.questions[0].find("\r\n3 行目"), std::string::npos) << messages.questions[0];
    EXPECT_EQ(FileBytes(kDat), bytes);
    EXPECT_EQ(window.unloads, 0);
    messages.agree = true;
    form.Command1_Click();
    EXPECT_NE(FileBytes(kDat), bytes);
    EXPECT_EQ(window.unloads, 1);
}

// What a failed save tells the user follows what it left on disk.
TEST_F(DialogClose, FailedSaveSaysWhatTheFileHolds) {
    LoadDefaults();
    const std::pair<SaveOutcome, const char*> cases[] = {
        {SaveOutcome::OldFileUnchanged, "c:\\windows\\kel.dat はそのまま残っています"},
        {SaveOutcome::OldFileAside, "c:\\windows\\kel.dat.kel-journal に残っていて"},
        {SaveOutcome::NewFileSaved, "には新しいテキストが入っています"},
    };
    for (const auto& [outcome, says] : cases) {
        messages.messages.clear();
        files.failReplace = outcome;
        form.Command1_Click();
        EXPECT_EQ(window.unloads, 0);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_NE(messages.messages[0].find(says), std::string::npos) << messages.messages[0];
    }
}

TEST_F(DialogClose, UnrepresentableCharactersRefuseTheSaveAndAreNamed) {
    LoadDefaults();
    const std::string before = FileBytes(kDat);
    // A Korean syllable, an emoji (two code units) twice, and a Latin letter
    // with a hacek on the third line.
    form.Text1.SetText(u"ok\r\n\uD55C \U0001F600\r\n\u0161 \U0001F600");
    form.Command1_Click();
    EXPECT_EQ(window.unloads, 0);
    EXPECT_EQ(FileBytes(kDat), before);
    EXPECT_TRUE(profile.writes.empty());
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string& m = messages.messages[0];
    EXPECT_NE(m.find("「한」 U+D55C（2 行目）"), std::string::npos) << m;
    EXPECT_NE(m.find("「😀」 U+1F600（2 行目）"), std::string::npos) << m;
    EXPECT_NE(m.find("「š」 U+0161（3 行目）"), std::string::npos) << m;
    EXPECT_EQ(m.find("U+1F600", m.find("U+1F600") + 1), std::string::npos)
        << "each character is named once: " << m;
    EXPECT_EQ(m.find("U+006F"), std::string::npos) << "representable text is not named: " << m;
}

TEST_F(DialogClose, ManyUnrepresentableCharactersAreSummed) {
    LoadDefaults();
    std::u16string text;
    for (char16_t c = 0xAC00; c < 0xAC00 + 15; ++c) text += c;  // 15 Hangul syllables
    form.Text1.SetText(text);
    form.Command1_Click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("ほか 5 文字"), std::string::npos) << messages.messages[0];
}

}  // namespace
}  // namespace kel::fake
