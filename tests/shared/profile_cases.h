// What the program relies on from the profile functions, as one table run
// against every implementation: Win32Profile under Wine (tests/host) and
// PosixProfile on real files (tests/unit).
#pragma once

#include <optional>
#include <string>

namespace kel::cases {

struct ProfileRead {
    const char* what;
    std::optional<std::string> file;  // its bytes; none: no file
    const char* section;
    const char* key;
    const char* defaultText;
    std::string expected;
};

inline const std::string kLongValue(300, '8');

inline const ProfileRead kProfileReads[] = {
    {"section in capitals", "[VIEW]\r\nViewMode=1\r\n", "View", "ViewMode", "9", "1"},
    {"key in another case", "[StartUp]\r\nFrase_No=3\r\n", "StartUp", "frase_no", "7", "3"},
    {"no file", std::nullopt, "View", "ViewMode", "9", "9"},
    {"no such section", "[View]\r\nViewMode=1\r\n", "Mode", "Sound", "8", "8"},
    {"no such key", "[Mode]\r\nSound=1\r\n", "Mode", "OneShot", "888", "888"},
    {"the key only in another section", "[Mode]\r\nViewMode=1\r\n[View]\r\nFontMode=1\r\n",
     "View", "ViewMode", "9", "9"},
    {"lines before the first section", "ViewMode=5\r\n[View]\r\nFontMode=1\r\n", "View",
     "ViewMode", "9", "9"},
    {"blanks around key and value", "[View]\r\n  ViewMode =  1 \t\r\n", "View", "ViewMode", "9",
     "1"},
    {"an empty value is a value", "[Mode]\r\nSound=\r\n", "Mode", "Sound", "8", ""},
    {"quotes around the value", "[Mode]\r\nSound=\"1 \"\r\n", "Mode", "Sound", "8", "1 "},
    {"Shift-JIS around", "\x8A\x69\x8C\xBE\r\n[View]\r\nViewMode=\x82\xA0\r\n", "View",
     "ViewMode", "9", "\x82\xA0"},
    {"a long value is cut to the buffer", "[StartUp]\r\nFrase_No=" + kLongValue + "\r\n",
     "StartUp", "Frase_No", "7", kLongValue.substr(0, 254)},
};

struct ProfileWrite {
    const char* what;
    std::optional<std::string> before;  // none: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
    // Wine rewrites the whole file in its own form (no blank lines, no
    // blanks around "="); the other lines stay as they were only on Windows.
    bool otherLinesOnlyOnWindows;
};

inline const ProfileWrite kProfileWrites[] = {
    {"rewritten in place, section in other case",
     "kel\r\n\r\n[View]\r\nViewMode=0\r\n\r\n[StartUp]\r\nFrase_No=0\r\n", "StartUP", "Frase_No",
     "5", "kel\r\n\r\n[View]\r\nViewMode=0\r\n\r\n[StartUp]\r\nFrase_No=5\r\n", false},
    {"the key keeps its spelling", "[STARTUP]\r\nfrase_no=0\r\n", "StartUP", "Frase_No", "-3",
     "[STARTUP]\r\nfrase_no=-3\r\n", false},
    {"a new key at the end of its section",
     "[Mode]\r\nSound=1\r\nSpeak=1\r\n\r\n[StartUp]\r\nFrase_No=0\r\n", "Mode", "OneShot", "1",
     "[Mode]\r\nSound=1\r\nSpeak=1\r\nOneShot=1\r\n\r\n[StartUp]\r\nFrase_No=0\r\n", false},
    {"a new section at the end of the file", "[View]\r\nViewMode=0\r\n", "StartUp", "Frase_No",
     "2", "[View]\r\nViewMode=0\r\n[StartUp]\r\nFrase_No=2\r\n", false},
    {"no file", std::nullopt, "Mode", "Sound", "1", "[Mode]\r\nSound=1\r\n", false},
    {"a last line without its line end", "[View]\r\nViewMode=0", "View", "FontMode", "1",
     "[View]\r\nViewMode=0\r\nFontMode=1\r\n", false},
    {"other lines kept byte for byte",
     "; \x8A\x69\x8C\xBE\r\n[View]\r\n  FontMode = 1 \r\nViewMode=0\r\n[X]\r\na=b\r\n", "View",
     "ViewMode", "1",
     "; \x8A\x69\x8C\xBE\r\n[View]\r\n  FontMode = 1 \r\nViewMode=1\r\n[X]\r\na=b\r\n", true},
};

}  // namespace kel::cases
