// What we test: the phrase file in either encoding, and what the dialog
// tells after a failed save.
//  - UTF-8 (with and without the byte order mark) and Shift-JIS files open
//    in the dialog and an unchanged save writes their bytes back exactly,
//    characters outside Shift-JIS included; the saver reads UTF-8 lines and
//    shows a character outside the BMP as one card;
//  - a file valid in neither encoding: the lines a save would change are
//    named at load, and it is written only once the user agrees;
//  - a NUL byte: the dialog does not open and names the line;
//  - a "<path>.old" left by a cut-short save is put back before either
//    window reads the file;
//  - the failed-save message says what the file holds, for each outcome.
#include <gtest/gtest.h>

#include "data/phrase_encoding.h"
#include "dialog_fakes.h"
#include "platform/text.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

using PhraseEditor = DialogFixture;

TEST_F(PhraseEditor, UnchangedSaveWritesEveryEncodingBackByteForByte) {
    // Already in the dialog's own form: one item per line, an empty last line.
    const std::u16string text = u"題\r\ncafé 𠮷野家 한글\r\n\r\n";
    const std::string utf8 = Utf16ToUtf8(text);
    const struct {
        const char* what;
        std::string bytes;
        PhraseEncoding encoding;
    } cases[] = {
        {"UTF-8 with the mark", kUtf8Mark + utf8, PhraseEncoding::Utf8WithMark},
        {"UTF-8", utf8, PhraseEncoding::Utf8},
        {"Shift-JIS", Sjis(u"題\r\nまたかいなぁ～\r\n\r\n"), PhraseEncoding::ShiftJis},
        {"ASCII", "title\r\nplain\r\n\r\n", PhraseEncoding::ShiftJis},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(kDat, c.bytes);
        Form2 dialog(platform);
        dialog.MsgRead();
        EXPECT_EQ(dialog.MsgEncoding, c.encoding);
        if (c.encoding != PhraseEncoding::ShiftJis) EXPECT_EQ(dialog.Text1.Text(), u"題\r\ncafé 𠮷野家 한글\r\n");
        ASSERT_TRUE(dialog.MsgWrite());
        EXPECT_EQ(FileBytes(kDat), c.bytes);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(PhraseEditor, BytesValidInNeitherEncodingAreNamedAndWrittenOnlyWhenAgreed) {
    // Double-byte codes that code page 932 leaves undefined.
    const std::string bytes = "ok\r\nbad \x85\x40\r\nfine\r\n\xEB\x40\r\n";
    PutFile(kDat, bytes);
    PutDefaultSettings();
    form.Load();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("2, 4 行目"), std::string::npos) << messages.messages[0];
    EXPECT_FALSE(form.MsgWrite()) << "the user said no";
    EXPECT_EQ(FileBytes(kDat), bytes);
    messages.answer = true;
    EXPECT_TRUE(form.MsgWrite());
    EXPECT_NE(FileBytes(kDat), bytes);
    EXPECT_EQ(messages.messages.size(), 3u) << "asked each time";
}

TEST_F(PhraseEditor, NulByteRefusesToOpenAndNamesTheLine) {
    PutFile(kDat, "title\r\nfirst\r\nab\0cd\r\nlast\r\n" + std::string(1, '\0'));
    try {
        form.MsgRead();
        ADD_FAILURE() << "opened a file with a NUL byte";
    } catch (const KelError& error) {
        EXPECT_NE(error.Report().find("line 3"), std::string::npos) << error.Report();
    }
}

TEST_F(PhraseEditor, CutShortSaveIsPutBackBeforeTheFileIsRead) {
    PutFile(kDat, "torn");
    PutFile(std::string(kDat) + ".old", "title\r\ngood\r\n");
    form.MsgRead();
    EXPECT_EQ(form.Text1.Text(), u"title\r\ngood\r\n");
    EXPECT_FALSE(HasFile(std::string(kDat) + ".old"));
}

TEST_F(PhraseEditor, FailedSaveSaysWhatTheFileHolds) {
    const struct {
        SaveOutcome outcome;
        const char* says;
    } cases[] = {
        {SaveOutcome::OldFileUnchanged, "元のファイル c:\\windows\\kel.dat はそのまま残っています"},
        {SaveOutcome::OldFileAside, "c:\\windows\\kel.dat.old に残っていて、次に起動したときに元に戻されます"},
        {SaveOutcome::NewFileSaved, "には新しいテキストが入っています"},
    };
    for (const auto& c : cases) {
        PutFile(kDat, "title\r\n");
        form.MsgRead();
        files.readOnly.insert(kDat);
        files.failedWriteLeaves = c.outcome;
        messages.messages.clear();
        EXPECT_FALSE(form.MsgWrite());
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_NE(messages.messages[0].find(c.says), std::string::npos) << messages.messages[0];
        files.readOnly.clear();
    }
}

using SaverPhrases = SaverFixture;

TEST_F(SaverPhrases, Utf8LinesLoadAndAPairIsOneCard) {
    files.files["c:\\windows\\kel.dat"] = kUtf8Mark + Utf16ToUtf8(u"題\r\na𠮷b\r\n");
    files.files["c:\\windows\\kel.dat.old"] = "";  // a cut-short save of an empty file
    form.Load();
    EXPECT_EQ(files.files["c:\\windows\\kel.dat"], "") << "put back before the load";
    files.files["c:\\windows\\kel.dat"] = kUtf8Mark + Utf16ToUtf8(u"題\r\na𠮷b\r\n");
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 2);
    EXPECT_EQ(form.MsgList[0], u"題");
    form.MsgNo = 1;
    log.clear();
    form.Lupin3();
    EXPECT_EQ(Only({"caption Label1"}),
              (Log{"caption Label1 \u3000", "caption Label1 a", "caption Label1 𠮷",
                   "caption Label1 b", "caption Label1 "}));
}

}  // namespace
}  // namespace kel::fake
