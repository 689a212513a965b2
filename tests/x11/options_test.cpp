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
        "size small=1 sound off=0/- sound cue=1/0 sound speech=1/1 one-shot=1 ";
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
                 : v.sound ? value(v.sound) + "/" + value(v.speak) : value(v.oneShot)) + " ";
    }
    EXPECT_EQ(seen, expected);
    EXPECT_THROW(kel::x11::ParseOptions({"-speed", "3"}, nullptr), kel::KelError);
    EXPECT_THROW(kel::x11::ParseOptions({"-order", "sideways"}, nullptr), kel::KelError);
}
