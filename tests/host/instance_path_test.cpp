// What we test: the path the single-instance name is made from is the same
// text for one file whether it is named by its long name or by its short
// 8.3 name (a shortcut or a registry entry may hold either).
#include "check.h"

#include <windows.h>

#include <string>

#include "host_support.h"
#include "platform/win32/system_win32.h"

namespace kel::host {
namespace {

TEST(NormalisedPath, ShortAndLongNamesOfOneFileAgree) {
    ScratchDir scratch;
    const std::string folder = scratch.Path("Long Folder Name");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\kel saver file.scr";
    PutFile(file, "x");
    const std::wstring longPath(file.begin(), file.end());
    wchar_t shortPath[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(longPath.c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    if (longPath == shortPath) GTEST_SKIP() << "no 8.3 names on this volume";
    EXPECT_EQ(win32::NormalisedPath(shortPath), win32::NormalisedPath(longPath));
    EXPECT_EQ(win32::NormalisedPath(longPath).find(L"~"), std::wstring::npos);
    ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace kel::host
