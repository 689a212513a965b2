// What we test: the switch table of the start-up procedure (the first two
// characters of the argument text, upper-cased after taking them, compared
// exactly), how the argument text is cut from a full command line, and the
// single-instance mutex: a short name for any path, the same one for every
// spelling of one path, and "access denied" counted as a running instance.
#include <gtest/gtest.h>

#include "startup/instance.h"
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

TEST(Switch, PreviewForPreviewSwitchesPasswordEndsAtOnce) {
    for (const char16_t* args : {u"/p 1234", u"/P", u"-P", u"-p 99", u"/p:5"}) {
        EXPECT_EQ(For(args), StartAction::Preview);
    }
    for (const char16_t* args : {u"/a 99", u"/A", u"-a"}) {
        EXPECT_EQ(For(args), StartAction::EndAtOnce);
    }
}

// The window handle after the preview switch, as the system writes it; 0
// (no preview) for anything else.
TEST(Switch, PreviewParentIsOneDecimalHandle) {
    const struct {
        const char16_t* args;
        std::uint32_t parent;
    } cases[] = {
        {u"/p 1234", 1234},        {u"/P:65616", 65616},   {u"-p  42 ", 42},
        {u"/p\t7", 7},            {u"/p4294967295", 4294967295u},
        {u"/p", 0},                {u"/p ", 0},            {u"/p:", 0},
        {u"/p x", 0},              {u"/p 12x", 0},         {u"/p 12 34", 0},
        {u"/p -5", 0},             {u"/p 0x10", 0},        {u"/p 4294967296", 0},
        {u"/p 99999999999999999999", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PreviewParent(c.args), c.parent) << std::u16string(c.args).size();
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

TEST(InstanceMutex, OneShortNamePerProgramFile) {
    const std::u16string deep = u"C:\\" + std::u16string(300, u'D') + u"\\KEL.SCR";
    const std::u16string deepOther = u"C:\\" + std::u16string(300, u'D') + u"\\KEL2.SCR";
    const std::u16string name = InstanceMutexName(deep);
    EXPECT_EQ(name.size(), InstanceMutexName(u"C:\\KEL.SCR").size());
    EXPECT_LE(name.size(), 260u);  // MAX_PATH
    EXPECT_NE(name, InstanceMutexName(deepOther));
    for (const char16_t* same : {u"C:/WINDOWS/KEL.SCR", u"c:\\windows\\kel.scr",
                                 u"\\\\?\\C:\\WINDOWS\\KEL.SCR"}) {
        EXPECT_EQ(InstanceMutexName(same), InstanceMutexName(u"C:\\WINDOWS\\KEL.SCR"));
    }
    EXPECT_EQ(InstanceMutexName(u"\\\\?\\UNC\\HOST\\S\\KEL.SCR"),
              InstanceMutexName(u"\\\\HOST\\S\\KEL.SCR"));
}

TEST(InstanceMutex, AccessDeniedMeansAnotherInstanceRuns) {
    EXPECT_FALSE(AnotherInstanceRuns(InstanceMutex::Created));
    EXPECT_TRUE(AnotherInstanceRuns(InstanceMutex::AlreadyExists));
    EXPECT_TRUE(AnotherInstanceRuns(InstanceMutex::AccessDenied));
    EXPECT_FALSE(AnotherInstanceRuns(InstanceMutex::Failed));
}

}  // namespace
}  // namespace kel
