// What we test: the saver window's side of the data files, through the fakes.
//  - The default phrase file and settings file, byte for byte in code page
//    932 with CR LF, and that ChkFiles writes only what is missing (an
//    existing file is left alone; that a hidden or system one counts as
//    existing is the real file system's matter: tests/host and e2e).
//  - InitRead: the saver's defaults for missing keys, a section spelled in
//    capitals, the start-up folder rule, an out-of-range value.
//  - Read_Msg: the count, the 32,001-line limit, the Frase_No reset rule,
//    bytes that are not valid Shift-JIS.
#include <gtest/gtest.h>

#include <iconv.h>

#include <string>
#include <vector>

#include "data/defaults.h"
#include "data/paths.h"
#include "data/startup_folder.h"
#include "platform/errors.h"
#include "saver_fixture.h"

namespace kel::fake {
namespace {

const std::string kIni = "c:\\windows\\kel.ini";
const std::string kDat = "c:\\windows\\kel.dat";

// UTF-8 to code page 932 through iconv, independently of the program's codec.
std::string Sjis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* o = &out[0];
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    EXPECT_NE(r, static_cast<std::size_t>(-1)) << utf8;
    out.resize(out.size() - outLeft);
    return out;
}

std::string Lines(const std::vector<std::string>& utf8Lines) {
    std::string bytes;
    for (const auto& line : utf8Lines) bytes += Sjis(line) + "\r\n";
    return bytes;
}

// The default settings file as it must be on disk, line 2 (our credit line)
// taken from the program.
std::string ExpectedSettings() {
    const std::string credit = U8(DefaultSettingsLines().at(1));
    return Lines({"kelシリーズ　格言・迷言セッティングファイル", credit, "", "[View]",
                  "ViewMode=0", "FontMode=0", "", "[Mode]", "Sound=1", "Speak=1", "",
                  "[StartUp]", "Frase_No=0"});
}

// The default phrase file; lines 2, 4, 8 and 10 (our sample sayings) taken
// from the program.
std::string ExpectedPhrases() {
    const auto& own = DefaultPhraseLines();
    return Lines({"*** 格言・迷言シリーズ ***", U8(own.at(1)), "えぇ～いぃ！", U8(own.at(3)),
                  "君、考え改めてもらわなあかんなぁ～", "出直してこ来んかい！！！どあほ！！！",
                  "すんまへん...ポリポリ", U8(own.at(7)), "このスカ・ポン・タン", U8(own.at(9)),
                  "こんなんあかんでぇ！！", "またかいなぁ～"});
}

std::string NumberedLines(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += "line " + std::to_string(i) + "\r\n";
    return bytes;
}

class Form1Data : public SaverFixture {};

// --- default files and ChkFiles -------------------------------------------------

TEST_F(Form1Data, NeitherFileWritesBothDefaultsByteForByte) {
    form.ChkFiles();
    EXPECT_EQ(files.writes, (std::vector<std::string>{kDat, kIni}));  // phrase file first
    const std::string dat = files.files[kDat];
    const std::string ini = files.files[kIni];
    EXPECT_EQ(dat, ExpectedPhrases());
    EXPECT_EQ(ini, ExpectedSettings());

    // Spot checks of the bytes that matter most.
    EXPECT_EQ(dat.substr(0, 28), "*** \x8a\x69\x8c\xbe\x81\x45\x96\xc0\x8c\xbe"
                                 "\x83\x56\x83\x8a\x81\x5b\x83\x59 ***\r\n");
    EXPECT_NE(dat.find("\x82\xa6\x82\xa5\x81\x60\x82\xa2\x82\xa1\x81\x49\r\n"),
              std::string::npos);  // えぇ～いぃ！
    EXPECT_NE(dat.find("...\x83\x7c"), std::string::npos);  // ASCII dots in line 7
    EXPECT_EQ(ini.substr(0, 13), "kel\x83\x56\x83\x8a\x81\x5b\x83\x59\x81\x40");  // U+3000
    EXPECT_EQ(ini.find("OneShot"), std::string::npos);
    EXPECT_EQ(ini.substr(ini.size() - 23), "[StartUp]\r\nFrase_No=0\r\n");
    // Every CR is followed by LF and every LF preceded by CR.
    for (const std::string* file : {&dat, &ini}) {
        for (std::size_t i = 0; i < file->size(); ++i) {
            if ((*file)[i] == '\r') {
                EXPECT_EQ(file->at(i + 1), '\n');
            }
            if ((*file)[i] == '\n') {
                EXPECT_EQ(file->at(i - 1), '\r');
            }
        }
    }
    EXPECT_EQ(std::count(dat.begin(), dat.end(), '\n'), 12);
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 13);
}

TEST_F(Form1Data, OurOwnDefaultLinesAreUsableText) {
    const auto& phrases = DefaultPhraseLines();
    for (int line : {1, 3, 7, 9}) {
        const std::u16string& saying = phrases.at(line);
        EXPECT_FALSE(saying.empty());
        EXPECT_EQ(saying.find_first_of(u"\r\n,\""), std::u16string::npos)
            << "a comma, quote or line end would split the saying in the editor";
    }
    const std::u16string& credit = DefaultSettingsLines().at(1);
    EXPECT_FALSE(credit.empty());
    EXPECT_NE(credit.front(), u'[');  // must not open a section
    EXPECT_EQ(credit.find(u'='), std::u16string::npos);
}

TEST_F(Form1Data, OnlyThePhraseFileMissing) {
    const std::string ini = "[StartUp]\r\nFrase_No=3\r\n";
    files.files[kIni] = ini;
    form.ChkFiles();
    EXPECT_EQ(files.writes, std::vector<std::string>{kDat});
    EXPECT_EQ(files.files[kIni], ini);
    EXPECT_EQ(files.files[kDat], ExpectedPhrases());
}

TEST_F(Form1Data, OnlyTheSettingsFileMissing) {
    const std::string dat = "title\r\nsaying";
    files.files[kDat] = dat;
    form.ChkFiles();
    EXPECT_EQ(files.writes, std::vector<std::string>{kIni});
    EXPECT_EQ(files.files[kDat], dat);
    EXPECT_EQ(files.files[kIni], ExpectedSettings());
}

TEST_F(Form1Data, ExistingFilesAreNeitherInspectedNorRepaired) {
    files.files[kIni] = "";
    files.files[kDat] = "\xff\xfe garbage";
    form.ChkFiles();
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(Form1Data, UnwritableDirectoryGoesToTheCaller) {
    files.readOnly.insert(kDat);
    EXPECT_THROW(form.ChkFiles(), KelError);
    EXPECT_TRUE(files.writes.empty());  // the settings file is not tried after it
}

// --- InitRead --------------------------------------------------------------------

TEST_F(Form1Data, DefaultFileThenInitReadAndRead_Msg) {
    form.ChkFiles();
    form.InitRead();
    EXPECT_EQ(form.ViewMode, 0);
    EXPECT_EQ(form.FontMode, 0);
    EXPECT_EQ(form.Sound, 1);
    EXPECT_EQ(form.Speak, 1);
    EXPECT_EQ(form.OneShot, 888);  // no OneShot line in the default file
    EXPECT_EQ(form.Frase_No, 0);
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 12);
    EXPECT_EQ(U8(form.MsgList[0]), "*** 格言・迷言シリーズ ***");
    EXPECT_EQ(form.MsgList[2], u"えぇ\uFF5Eいぃ\uFF01");
    EXPECT_EQ(U8(form.MsgList[11]), "またかいなぁ～");
    EXPECT_TRUE(form.MsgList[12].empty());
}

TEST_F(Form1Data, SaverDefaultsForMissingKeys) {
    form.InitRead();  // no file at all
    EXPECT_EQ(form.ViewMode, 9);
    EXPECT_EQ(form.FontMode, 99);
    EXPECT_EQ(form.Sound, 8);
    EXPECT_EQ(form.Speak, 88);
    EXPECT_EQ(form.OneShot, 888);
    EXPECT_EQ(form.Frase_No, 7);
    EXPECT_TRUE(files.writes.empty());

    files.files[kIni] = "[view]\r\nviewmode= 1 \r\n[MODE]\r\nspeak=2.5\r\nSound=abc\r\n";
    form.InitRead();
    EXPECT_EQ(form.ViewMode, 1);
    EXPECT_EQ(form.FontMode, 99);
    EXPECT_EQ(form.Sound, 0);
    EXPECT_EQ(form.Speak, 2);
    EXPECT_EQ(form.OneShot, 888);
    EXPECT_EQ(form.Frase_No, 7);
}

TEST_F(Form1Data, StartupSectionInCapitalsServesAndReceivesFrase_No) {
    files.files[kIni] = "[View]\r\nViewMode=0\r\n[STARTUP]\r\nFrase_No=5\r\n";
    form.InitRead();
    EXPECT_EQ(form.Frase_No, 5);
    form.Frase_No = 4;
    form.QueryUnload();
    EXPECT_EQ(files.files[kIni], "[View]\r\nViewMode=0\r\n[STARTUP]\r\nFrase_No=4\r\n");
}

TEST_F(Form1Data, OutOfRangeValueIsReportedWithFileKeyAndValue) {
    files.files[kIni] = "[Mode]\r\nSound=40000\r\n";
    try {
        form.InitRead();
        FAIL() << "no error";
    } catch (const KelError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        const std::string report = e.Report();
        EXPECT_NE(report.find("c:\\windows\\kel.ini"), std::string::npos) << report;
        EXPECT_NE(report.find("[Mode] Sound"), std::string::npos) << report;
        EXPECT_NE(report.find("40000"), std::string::npos) << report;
    }
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(Form1Data, StartupFolderForcesOneShot) {
    files.files[kIni] = "[Mode]\r\nOneShot=0\r\n";
    const std::u16string startup = kStartupFolderName;
    process.directory = u"C:\\WINDOWS\\ｽﾀｰﾄ ﾒﾆｭｰ\\ﾌﾟﾛｸﾞﾗﾑ\\" + startup;
    form.InitRead();
    EXPECT_EQ(form.OneShot, 1);

    // Anything but the exact eight characters at the end is not the rule.
    for (const std::u16string& dir : std::vector<std::u16string>{
             u"C:\\Program Files\\kel", u"C:\\" + startup + u"\\kel", u"C:\\スタートアップ",
          u"C:\\" + startup + u"x", u"ｱｯﾌﾟ"}) {
        process.directory = dir;
        form.InitRead();
        EXPECT_EQ(form.OneShot, 0) << U8(dir);
    }
}

TEST(StartupFolderRule, LastEightCharactersExactly) {
    EXPECT_EQ(kStartupFolderName, u"ｽﾀｰﾄｱｯﾌﾟ");
    EXPECT_EQ(kStartupFolderName.size(), 8u);
    EXPECT_TRUE(IsStartupFolder(kStartupFolderName));
    EXPECT_TRUE(IsStartupFolder(u"D:\\x" + kStartupFolderName));
    EXPECT_FALSE(IsStartupFolder(u""));
    EXPECT_FALSE(IsStartupFolder(kStartupFolderName.substr(1)));
    EXPECT_FALSE(IsStartupFolder(u"C:\\" + kStartupFolderName + u"\\"));
    EXPECT_FALSE(IsStartupFolder(u"C:\\ｽﾀｰﾄｱｯﾌ"));
}

// --- Read_Msg ----------------------------------------------------------------------

TEST_F(Form1Data, FraseNoResetOnlyWhenGreaterThanTheCount) {
    files.files[kDat] = NumberedLines(12);
    struct Case {
        std::int16_t before, after;
    };
    for (const Case c : {Case{12, 12}, Case{13, 0}, Case{7, 7}, Case{0, 0}, Case{-1, -1},
                         Case{-32768, -32768}, Case{32767, 0}}) {
        form.Frase_No = c.before;
        form.Read_Msg();
        EXPECT_EQ(form.MsgCount, 12);
        EXPECT_EQ(form.Frase_No, c.after) << c.before;
    }
}

TEST_F(Form1Data, LinesAsTheSaverSeesThem) {
    files.files[kDat] = "title\r\n  lead\r\nx,y\r\n\r\nlast";
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 5);
    EXPECT_EQ(form.MsgList[1], u"  lead");
    EXPECT_EQ(form.MsgList[2], u"x,y");
    EXPECT_EQ(form.MsgList[3], u"");
    EXPECT_EQ(form.MsgList[4], u"last");

    files.files[kDat] = "a\r\n\r\n";  // a trailing empty line counts
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 2);

    files.files[kDat] = "";
    form.Frase_No = 1;
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 0);
    EXPECT_EQ(form.Frase_No, 0);
}

TEST_F(Form1Data, BytesThatAreNotShiftJisStillLoad) {
    files.files[kDat] = std::string("ok\r\n\x81\xff\x80\xa0\r\nnul\0in\r\n\x82", 19);
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 4);
    EXPECT_EQ(form.MsgList[0], u"ok");
    EXPECT_FALSE(form.MsgList[1].empty());
    EXPECT_EQ(form.MsgList[2], std::u16string(u"nul\0in", 6));
}

TEST_F(Form1Data, HoldsExactly32001Lines) {
    files.files[kDat] = NumberedLines(32001);
    form.Frase_No = 32001;
    form.Read_Msg();
    EXPECT_EQ(form.MsgCount, 32001);
    EXPECT_EQ(form.MsgList[32000], u"line 32000");
    EXPECT_EQ(form.Frase_No, 32001);  // equal to the count: stays
}

TEST_F(Form1Data, The32002ndLineIsAnError) {
    files.files[kDat] = "first\r\n";
    form.Read_Msg();
    ASSERT_EQ(form.MsgCount, 1);

    files.files[kDat] = NumberedLines(32001) + "one too many";  // no final CR LF
    form.Frase_No = 32767;
    try {
        form.Read_Msg();
        FAIL() << "no error";
    } catch (const KelError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::SubscriptOutOfRange);
        const std::string report = e.Report();
        EXPECT_NE(report.find(kDat), std::string::npos) << report;
        EXPECT_NE(report.find("line 32002"), std::string::npos) << report;
    }
    // The lines read stay; the count and the start index do not move.
    EXPECT_EQ(form.MsgList[32000], u"line 32000");
    EXPECT_EQ(form.MsgCount, 1);
    EXPECT_EQ(form.Frase_No, 32767);
}

TEST_F(Form1Data, MissingPhraseFileGoesToTheCaller) {
    EXPECT_THROW(form.Read_Msg(), KelError);
}

}  // namespace
}  // namespace kel::fake
