// What we test: every choice kel.xml offers in XScreenSaver's settings dialog
// is an option kel takes, with the daemon's --root and window, and sets the
// setting it names; an unknown option is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "platform/errors.h"
#include "saver/x11/options.h"

TEST(Options, EveryChoiceOfTheSettingsPageSetsItsSetting) {
    std::ifstream file(KEL_SOURCE_DIR "/src/saver/x11/kel.xml");
    std::stringstream xml;
    xml << file.rdbuf();
    const std::string text = xml.str(), expected = "order list=0 order random=1 size large=0 "
        "size small=1 sound cue=1/0 sound speech=1/1 one-shot=1 ";
    std::string seen;
    const std::regex argSet("arg-set=\"--([a-z-]+) ?([a-z]*)\"");
    for (std::sregex_iterator it(text.begin(), text.end(), argSet), end; it != end; ++it) {
        std::vector<std::string> args{"--root", "--" + (*it)[1].str()};
        if ((*it)[2].length() > 0) args.push_back((*it)[2]);
        const kel::x11::Options o = kel::x11::ParseOptions(args, "0x1200005");
        EXPECT_FALSE(o.standalone);
        EXPECT_EQ(o.windowId, 0x1200005u);
        const auto& v = o.overrides;
        const auto value = [](const std::optional<int>& x) { return x ? std::to_string(*x) : "-"; };
        seen += (*it)[1].str() + ((*it)[2].length() ? " " + (*it)[2].str() : "") + "=" +
                (v.viewMode ? value(v.viewMode) : v.fontMode ? value(v.fontMode)
                 : v.oneShot ? value(v.oneShot) : value(v.sound) + "/" + value(v.speak)) + " ";
    }
    EXPECT_EQ(seen, expected);
    EXPECT_THROW(kel::x11::ParseOptions({"-speed", "3"}, nullptr), kel::KelError);
    EXPECT_THROW(kel::x11::ParseOptions({"-order", "sideways"}, nullptr), kel::KelError);
}

// Where the saver draws, whether it is silent, and which options only warn.
TEST(Options, WhereItDrawsAndWhatItSays) {
    struct Case {
        std::vector<std::string> args;
        const char* variable;
        bool standalone, window;
        unsigned long windowId;
        std::optional<int> sound;
        std::size_t warnings;
    } cases[] = {
        {{}, "0x1200005", true, false, 0, std::nullopt, 0},      // the variable needs -root
        {{"-root"}, "0x1200005", false, false, 0x1200005, 0, 0},  // the daemon's: silent
        {{"-root"}, nullptr, false, false, 0, 0, 0},              // the real root
        {{"-window-id", "0x42", "-sound", "cue"}, "0x1200005", false, false, 0x42, 1, 0},
        {{"-window", "-geometry", "640x400+10+20"}, nullptr, false, true, 0, std::nullopt, 0},
        {{"-root", "-window"}, nullptr, false, false, 0, 0, 0},
        {{"-visual", "default", "-mono"}, nullptr, true, false, 0, std::nullopt, 0},
        {{"-visual", "TrueColor", "-install", "-delay", "20000", "-fps"}, nullptr, true, false, 0,
         std::nullopt, 4},
    };
    for (const Case& c : cases) {
        const kel::x11::Options o = kel::x11::ParseOptions(c.args, c.variable);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(o.standalone, c.standalone) << what;
        EXPECT_EQ(o.window, c.window) << what;
        EXPECT_EQ(o.windowId, c.windowId) << what;
        EXPECT_EQ(o.overrides.sound, c.sound) << what;
        EXPECT_EQ(o.warnings.size(), c.warnings) << what;
    }
    EXPECT_EQ(kel::x11::ParseOptions({"-window", "-geometry", "640x400+10+20"}, nullptr).geometry,
              "640x400+10+20");
    EXPECT_TRUE(kel::x11::ParseOptions({"-mono"}, nullptr).mono);
    EXPECT_THROW(kel::x11::ParseOptions({"-delay"}, nullptr), kel::KelError);
}

TEST(Options, OneLockPerDisplay) {
    using kel::x11::InstanceLockName;
    EXPECT_EQ(InstanceLockName(":0.1"), InstanceLockName(":0"));
    EXPECT_NE(InstanceLockName(":1"), InstanceLockName(":0"));
    EXPECT_NE(InstanceLockName("remote:0"), InstanceLockName(":0"));
    EXPECT_EQ(InstanceLockName("/tmp/launch-x/org.x:0").find('/'), std::string::npos);
}
