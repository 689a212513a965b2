// What we test: the system's profile functions and code page 932 as the
// program calls them (Win32Profile, Win32Codec), with the same case tables
// as the Linux implementations (tests/shared).
//  - Reads: sections and keys whatever their case, the default for a missing
//    file, section or key, the value trimmed and cut to 254 characters.
//  - Writes: a key changed where it stands, a new key at the end of its
//    section, a new section at the end of the file. Wine rewrites the whole
//    file without its blank lines and in its own form where Windows keeps
//    every other line: the non-blank lines are compared, and the cases that
//    hold only on Windows are left out.
//  - Code page 932 both ways, the characters it cannot hold named, not
//    replaced, and what bytes that are not Shift-JIS decode to.
#include "check.h"

#include <sstream>
#include <vector>

#include "host_support.h"
#include "shared/codec_cases.h"
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

TEST(Win32Codec, CodePage932AsTheCaseTablesSay) {
    Win32Codec codec;
    for (const auto& c : cases::kCodecRoundTrips) {
        std::string bytes;
        std::u16string bad;
        EXPECT_TRUE(codec.Encode(c.text, bytes, &bad));
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_TRUE(bad.empty());
        EXPECT_EQ(codec.Decode(c.bytes), c.text);
    }
    for (const auto& c : cases::kCodecRefusals) {
        std::string bytes;
        std::u16string named;
        EXPECT_FALSE(codec.Encode(c.text, bytes, &named));
        EXPECT_EQ(named, c.named);
    }
    for (const auto& c : cases::kCodecDecodeOnly) EXPECT_EQ(codec.Decode(c.bytes), c.text);
}

}  // namespace
}  // namespace kel::win32
