// What we test: the system's profile functions and code page 932 as the
// program calls them (Win32Profile, Win32Codec), with the case tables the
// Linux implementations meet too (tests/shared). Wine rewrites a profile
// file whole, without its blank lines and in its own form, where Windows
// keeps every other line: the non-blank lines are compared, and the cases
// that hold only on Windows are left out.
#include "check.h"

#include <sstream>
#include <vector>

#include "host_support.h"
#include "shared/codec_cases.h"
#include "shared/phrase_encoding_cases.h"
#include "shared/profile_cases.h"
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

TEST(Win32Profile, ReadsAsTheCaseTableSays) {
    Win32Profile profile;
    for (const auto& c : cases::kProfileReads) {
        SCOPED_TRACE(c.what);
        host::ScratchDir dir;
        const std::string ini = dir.Path("kel.ini");
        if (c.file) host::PutFile(ini, *c.file);
        EXPECT_EQ(profile.GetString(ini, c.section, c.key, c.defaultText), c.expected);
    }
}

TEST(Win32Profile, WritesAsTheCaseTableSaysInTheNonBlankLines) {
    Win32Profile profile;
    for (const auto& c : cases::kProfileWrites) {
        if (c.otherLinesOnlyOnWindows) continue;
        SCOPED_TRACE(c.what);
        host::ScratchDir dir;
        const std::string ini = dir.Path("kel.ini");
        if (c.before) host::PutFile(ini, *c.before);
        profile.WriteString(ini, c.section, c.key, c.value);
        std::string bytes;
        ASSERT_TRUE(host::GetFile(ini, &bytes));
        EXPECT_EQ(NonBlankLines(bytes), NonBlankLines(c.after));
    }
}

TEST(Win32Codec, CodePage932AsTheCaseTablesSay) { cases::CheckCodecCases(Win32Codec()); }

TEST(Win32Codec, PhraseFileReadingsAsTheCaseTableSays) {
    cases::CheckPhraseEncodingCases(Win32Codec());
}

}  // namespace
}  // namespace kel::win32
