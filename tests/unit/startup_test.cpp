// What we test: the switch table of the start-up procedure (the first two
// characters of the argument text, upper-cased after taking them, compared
// exactly) and how the argument text is cut from a full command line.
#include <gtest/gtest.h>

#include "startup/switch.h"

namespace kel {
namespace {

StartAction For(const std::u16string& args) { return ActionForSwitch(MakeSwitch(args)); }

TEST(Switch, SaverForRunSwitchesAndAnythingUnknown) {
    for (const char16_t* args : {u"", u"/s", u"/S", u"-s", u"-S", u"/S 1234", u"/sx", u"s",
                                 u"/", u"x", u"/x", u"//c", u" /c", u"／ｃ"}) {
        EXPECT_EQ(For(args), StartAction::LoadSaver) << std::u16string(args).size();
    }
}

TEST(Switch, SettingsForConfigurationSwitches) {
    for (const char16_t* args : {u"/c", u"/C", u"-c", u"-C", u"/c:1234", u"/C 5678"}) {
        EXPECT_EQ(For(args), StartAction::LoadSettings);
    }
}

TEST(Switch, PreviewAndPasswordEndAtOnce) {
    for (const char16_t* args : {u"/p 1234", u"/P", u"-P", u"-p 99", u"/a 99", u"/A", u"-a"}) {
        EXPECT_EQ(For(args), StartAction::EndAtOnce);
    }
}

TEST(Switch, TakesTwoCharactersBeforeUpperCasing) {
    EXPECT_EQ(MakeSwitch(u"/cabc"), u"/C");
    EXPECT_EQ(MakeSwitch(u"/"), u"/");
    EXPECT_EQ(MakeSwitch(u""), u"");
    EXPECT_EQ(MakeSwitch(u"ab"), u"AB");
}

TEST(ArgumentText, CutsProgramPathQuotedOrNot) {
    EXPECT_EQ(ArgumentText(u"\"C:\\Program Files\\kel.scr\" /c:123"), u"/c:123");
    EXPECT_EQ(ArgumentText(u"C:\\WINDOWS\\KEL.SCR /s"), u"/s");
    EXPECT_EQ(ArgumentText(u"kel.scr"), u"");
    EXPECT_EQ(ArgumentText(u"\"kel.scr\""), u"");
    EXPECT_EQ(ArgumentText(u"kel.scr   -P"), u"-P");
}

}  // namespace
}  // namespace kel
