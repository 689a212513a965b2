// Loading the settings dialog: what we test
//  - the order of the load steps, the captions, the centring by outer size;
//  - the controls and variables after load for 0, 1 and any other value of
//    each setting, including the handlers that the load sets off;
//  - every default is 0 and the start-up folder rule does not apply;
//  - Label1 counts items, Label2 shows the saved number unchecked;
//  - a missing phrase file: no dialog, no file written, a clear report;
//  - a setting out of the 16-bit range stops the load.
#include <gtest/gtest.h>

#include <string>

#include "dialog_fakes.h"
#include "platform/errors.h"

namespace kel::fake {
namespace {

class DialogLoad : public DialogFixture {
protected:
    void LoadWith(const std::string& view, const std::string& mode, const std::string& startUp) {
        PutSettings(view, mode, startUp);
        PutDefaultPhrases();
        form.Load();
    }
};

TEST_F(DialogLoad, StepsInOrderCentredWithTheirCaptions) {
    PutDefaultPhrases();
    form.Load();
    EXPECT_EQ(log, (Log{"move", "caption メッセージエディター", "show"}));
    // (1024 x 768 pixels) minus the outer size, halved, in twips.
    EXPECT_FLOAT_EQ(window.left, (15360.0f - 9615.0f) / 2.0f);
    EXPECT_FLOAT_EQ(window.top, (11520.0f - 3990.0f) / 2.0f);

    EXPECT_EQ(U8(form.Frame1.Caption()), "メッセージ表示方法");
    EXPECT_EQ(U8(form.Option1.Caption()), "リスト順");
    EXPECT_EQ(U8(form.Option2.Caption()), "ランダム");
    EXPECT_EQ(U8(form.Frame2.Caption()), "表示サイズ");
    EXPECT_EQ(U8(form.Option3.Caption()), "小");
    EXPECT_EQ(U8(form.Option4.Caption()), "大");
    EXPECT_EQ(U8(form.Frame4.Caption()), "効果音設定");
    EXPECT_EQ(U8(form.Check1.Caption()), "効果音付");
    EXPECT_EQ(U8(form.Option5[0].Caption()), "タイプ音");
    EXPECT_EQ(U8(form.Option5[1].Caption()), "おしゃべり");
    EXPECT_EQ(U8(form.Frame3.Caption()), "動作モード");
    EXPECT_EQ(U8(form.Option6[0].Caption()), "連続");
    EXPECT_EQ(U8(form.Option6[1].Caption()), "One Shot");
    EXPECT_EQ(U8(form.Command1.Caption()), "メッセージ保存");

    // The fixed blank, colon and ideographic space around the count.
    EXPECT_EQ(form.Label1.Caption(), u"表示するメッセージ \uFF1A\u3000" u"12 フレーズ");
    EXPECT_EQ(form.MsgLast, 11);
    EXPECT_EQ(form.Text1.Text(), JoinWithCrLf(DefaultPhraseLines()));
    EXPECT_TRUE(files.writes.empty()) << "loading writes nothing";
    EXPECT_TRUE(profile.writes.empty());
}

TEST_F(DialogLoad, NoSettingsFileReadsEveryValueAsZero) {
    PutDefaultPhrases();
    form.Load();
    EXPECT_EQ(form.ViewMode, 0);
    EXPECT_EQ(form.FontMode, 0);
    EXPECT_EQ(form.Sound, 0);
    EXPECT_EQ(form.Speak, 0);
    EXPECT_EQ(form.OneShot, 0);
    EXPECT_EQ(form.Frase_No, 0);
    EXPECT_TRUE(form.Option1.Value());
    EXPECT_TRUE(form.Option4.Value());
    EXPECT_EQ(form.Check1.Value(), 0);
    EXPECT_FALSE(form.Option5[0].Enabled());
    EXPECT_FALSE(form.Option5[1].Enabled());
    EXPECT_TRUE(form.Option5[0].Value());
    EXPECT_TRUE(form.Option6[0].Value());
    EXPECT_FALSE(form.Label2.Enabled());
    EXPECT_FALSE(form.VScroll1.Enabled());
    EXPECT_EQ(Label2(), "0");
    EXPECT_FALSE(HasFile(kIni));
}

TEST_F(DialogLoad, DefaultSettingsFileWithoutOneShotKey) {
    PutDefaultSettings();
    PutDefaultPhrases();
    form.Load();
    EXPECT_EQ(form.Sound, 1);
    EXPECT_EQ(form.Speak, 1);
    EXPECT_EQ(form.OneShot, 0) << "the dialog's default, not the saver's";
    EXPECT_TRUE(form.Option4.Value());
    EXPECT_EQ(form.Check1.Value(), 1);
    EXPECT_TRUE(form.Option5[1].Value());
    EXPECT_TRUE(form.Option5[1].Enabled());
    EXPECT_TRUE(form.Option6[0].Value());
    EXPECT_FALSE(form.VScroll1.Enabled());
}

TEST_F(DialogLoad, DisplayOrder) {
    LoadWith("ViewMode=1\r\n", "", "");
    EXPECT_TRUE(form.Option2.Value());
    EXPECT_FALSE(form.Option1.Value());
    EXPECT_EQ(form.ViewMode, 1);
}

TEST_F(DialogLoad, DisplayOrderOutOfRangeKeepsDesignStateAndValue) {
    LoadWith("ViewMode=2\r\n", "", "");
    EXPECT_TRUE(form.Option1.Value());
    EXPECT_FALSE(form.Option2.Value());
    EXPECT_EQ(form.ViewMode, 2);
}

TEST_F(DialogLoad, DisplaySizeZeroIsLargeOneIsSmall) {
    LoadWith("FontMode=1\r\n", "", "");
    EXPECT_TRUE(form.Option3.Value()) << "1 selects the left-hand button 小";
    EXPECT_FALSE(form.Option4.Value());
    EXPECT_EQ(form.FontMode, 1);
}

TEST_F(DialogLoad, DisplaySizeOutOfRangeBecomesLarge) {
    LoadWith("FontMode=7\r\n", "", "");
    EXPECT_TRUE(form.Option4.Value());
    EXPECT_FALSE(form.Option3.Value());
    EXPECT_EQ(form.FontMode, 0);
}

TEST_F(DialogLoad, SoundOnEnablesBothSoundButtons) {
    LoadWith("", "Sound=1\r\nSpeak=0\r\n", "");
    EXPECT_EQ(form.Check1.Value(), 1);
    EXPECT_TRUE(form.Option5[0].Enabled());
    EXPECT_TRUE(form.Option5[1].Enabled());
    EXPECT_TRUE(form.Option5[0].Value());
    EXPECT_EQ(form.Sound, 1);
}

TEST_F(DialogLoad, SoundOffWithSpeechSelectsSpeechGreyed) {
    LoadWith("", "Sound=0\r\nSpeak=1\r\n", "");
    EXPECT_EQ(form.Check1.Value(), 0);
    EXPECT_TRUE(form.Option5[1].Value());
    EXPECT_FALSE(form.Option5[1].Enabled());
    EXPECT_FALSE(form.Option5[0].Enabled());
    EXPECT_EQ(form.Speak, 1);
}

TEST_F(DialogLoad, SoundAndSpeechOutOfRangeTouchNothing) {
    LoadWith("", "Sound=3\r\nSpeak=-4\r\n", "");
    EXPECT_EQ(form.Check1.Value(), 0);
    EXPECT_TRUE(form.Option5[0].Enabled());
    EXPECT_TRUE(form.Option5[1].Enabled());
    EXPECT_FALSE(form.Option5[0].Value());
    EXPECT_FALSE(form.Option5[1].Value());
    EXPECT_EQ(form.Sound, 3);
    EXPECT_EQ(form.Speak, -4);
}

TEST_F(DialogLoad, OneShotEnablesTheSelector) {
    LoadWith("", "OneShot=1\r\n", "");
    EXPECT_TRUE(form.Option6[1].Value());
    EXPECT_FALSE(form.Option6[0].Value());
    EXPECT_TRUE(form.Label2.Enabled());
    EXPECT_TRUE(form.VScroll1.Enabled());
    EXPECT_EQ(form.OneShot, 1);
}

TEST_F(DialogLoad, OneShotOutOfRangeSelectsNeitherAndLeavesTheSelectorEnabled) {
    LoadWith("", "OneShot=5\r\n", "");
    EXPECT_FALSE(form.Option6[0].Value());
    EXPECT_FALSE(form.Option6[1].Value());
    EXPECT_TRUE(form.Label2.Enabled());
    EXPECT_TRUE(form.VScroll1.Enabled());
    EXPECT_EQ(form.OneShot, 5);
}

TEST_F(DialogLoad, SavedStartNumberIsShownUncheckedAndTheSpinnerStaysAtOne) {
    LoadWith("", "", "Frase_No=25\r\n");
    EXPECT_EQ(Label2(), "25");
    EXPECT_EQ(form.VScroll1.Value(), 1);
    EXPECT_EQ(form.VScroll1.Min(), 32000);
}

TEST_F(DialogLoad, SettingsAreReadByTheNumberRule) {
    LoadWith(" ViewMode = 1.5 \r\nFontMode=abc\r\n", "Sound=\r\n", "Frase_No=-3\r\n");
    EXPECT_EQ(form.ViewMode, 2);
    EXPECT_EQ(form.FontMode, 0);
    EXPECT_EQ(form.Sound, 0);
    EXPECT_EQ(Label2(), "-3");
}

TEST_F(DialogLoad, MissingPhraseFileStopsTheLoadWithAClearReport) {
    PutDefaultSettings();
    const std::string settingsBefore = FileBytes(kIni);
    try {
        form.Load();
        FAIL() << "the load went on without a phrase file";
    } catch (const KelError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::FileNotFound);
        const std::string report = error.Report();
        EXPECT_NE(report.find("c:\\windows\\kel.dat"), std::string::npos) << report;
        EXPECT_NE(report.find("first time it runs"), std::string::npos) << report;
    }
    EXPECT_FALSE(window.shown);
    EXPECT_FALSE(HasFile(kDat)) << "the dialog never creates the phrase file";
    EXPECT_EQ(FileBytes(kIni), settingsBefore);
    EXPECT_TRUE(files.writes.empty());
    EXPECT_TRUE(profile.writes.empty());
}

TEST_F(DialogLoad, SettingOutsideSixteenBitsStopsTheLoad) {
    PutSettings("", "Sound=40000\r\n", "");
    PutDefaultPhrases();
    try {
        form.Load();
        FAIL() << "40000 was accepted";
    } catch (const KelError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::Overflow);
        EXPECT_NE(error.Report().find("[Mode] Sound"), std::string::npos) << error.Report();
    }
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(profile.writes.empty());
}

}  // namespace
}  // namespace kel::fake
