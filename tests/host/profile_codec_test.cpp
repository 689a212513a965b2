// What we test: the system's profile functions and code page 932 as the
// program calls them (Win32Profile, Win32Codec).
//  - A section matches whatever its case, and a write into it changes the
//    key's line where it stands: no second section, no line moved. (Wine
//    drops blank lines when it rewrites a file; Windows keeps them: the
//    non-blank lines are compared.) A value reads back cut to 254
//    characters, the size of the buffer less its NUL.
//  - Code page 932 both ways for the characters the default files and the
//    dialog use (the full-width tilde is 0x81 0x60, the ideographic space
//    0x81 0x40), and characters it cannot hold are named, not replaced.
#include "check.h"

#include <sstream>
#include <vector>

#include "host_support.h"
#include "platform/win32/data_win32.h"

namespace kel::win32 {
namespace {

std::vector<std::string> NonBlankLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

TEST(Win32Profile, SectionsMatchWhateverTheirCaseAndWritesStayInPlace) {
    host::ScratchDir dir;
    const std::string ini = dir.Path("kel.ini");
    host::PutFile(ini,
                  "; settings\r\n[VIEW]\r\nViewMode=1\r\nFontMode=0\r\n[Mode]\r\nSound=1\r\n"
                  "[STARTUP]\r\nFrase_No=3\r\n[Other]\r\nx=y\r\n");
    Win32Profile profile;
    EXPECT_EQ(profile.GetString(ini, "View", "ViewMode", "9"), "1");
    EXPECT_EQ(profile.GetString(ini, "StartUp", "frase_no", "7"), "3");
    EXPECT_EQ(profile.GetString(ini, "StartUp", "Missing", "7"), "7");
    EXPECT_EQ(profile.GetString(dir.Path("none.ini"), "View", "ViewMode", "9"), "9");

    profile.WriteString(ini, "StartUP", "Frase_No", "5");
    profile.WriteString(ini, "view", "FontMode", "1");
    profile.WriteString(ini, "Mode", "Speak", "0");  // a new key: the end of its section
    std::string bytes;
    ASSERT_TRUE(host::GetFile(ini, &bytes));
    EXPECT_EQ(NonBlankLines(bytes),
              (std::vector<std::string>{"; settings", "[VIEW]", "ViewMode=1", "FontMode=1",
                                        "[Mode]", "Sound=1", "Speak=0", "[STARTUP]", "Frase_No=5",
                                        "[Other]", "x=y"}));
}

TEST(Win32Profile, ValueReadsBackCutTo254Characters) {
    host::ScratchDir dir;
    const std::string ini = dir.Path("kel.ini");
    const std::string value(300, '8');
    host::PutFile(ini, "[StartUp]\r\nFrase_No=" + value + "\r\n");
    Win32Profile profile;
    EXPECT_EQ(profile.GetString(ini, "StartUp", "Frase_No", "7"), value.substr(0, 254));
}

TEST(Win32Codec, CodePage932BothWays) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"\xFF5E", "\x81\x60"},              // ～ full-width tilde
        {u"\x3000", "\x81\x40"},              // ideographic space
        {u"\xFF1A\x3000", "\x81\x46\x81\x40"},  // "：　" of the dialog's count label
        {u"\xFF01\x3001\x30FB", "\x81\x49\x81\x41\x81\x45"},  // ！、・
        {u"\x683C\x8A00", "\x8A\x69\x8C\xBE"},  // 格言
        {u"\xFF7D\xFF80", "\xBD\xC0"},         // ｽﾀ half-width katakana
        {u"a\\ \r\n", "a\\ \r\n"},
    };
    Win32Codec codec;
    for (const auto& c : cases) {
        std::string bytes;
        std::u16string bad;
        EXPECT_TRUE(codec.Encode(c.text, bytes, &bad));
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_TRUE(bad.empty());
        EXPECT_EQ(codec.Decode(c.bytes), c.text);
    }
}

TEST(Win32Codec, UnrepresentableCharactersAreNamedNotReplaced) {
    const struct {
        std::u16string text;
        std::u16string named;
    } cases[] = {
        {u"a\x20AC" u"b\x20AC", u"\x20AC"},       // € twice: named once
        {u"\x301C", u"\x301C"},                   // wave dash: no best fit to ～
        {u"x\xD83D\xDE00", u"\xD83D\xDE00"},      // an emoji: both halves
        {u"\x00E9\x3042", u"\x00E9"},             // é has no form; あ has
    };
    Win32Codec codec;
    for (const auto& c : cases) {
        std::string bytes;
        std::u16string named;
        EXPECT_FALSE(codec.Encode(c.text, bytes, &named));
        EXPECT_EQ(named, c.named);
    }
}

}  // namespace
}  // namespace kel::win32
