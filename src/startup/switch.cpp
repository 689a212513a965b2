#include "startup/switch.h"

namespace kel {

std::u16string MakeSwitch(const std::u16string& argumentText) {
    std::u16string s = argumentText.substr(0, 2);
    for (auto& c : s) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return s;
}

StartAction ActionForSwitch(const std::u16string& s) {
    if (s == u"/P" || s == u"-P") return StartAction::Preview;
    if (s == u"/C" || s == u"-C") return StartAction::LoadSettings;
    if (s == u"/S" || s == u"-S") return StartAction::LoadSaver;
    if (s == u"/A" || s == u"-A") return StartAction::EndAtOnce;
    return StartAction::LoadSaver;
}

std::uint32_t PreviewParent(const std::u16string& argumentText) {
    std::size_t i = 2;
    const std::size_t n = argumentText.size();
    if (i < n && argumentText[i] == u':') ++i;
    while (i < n && (argumentText[i] == u' ' || argumentText[i] == u'\t')) ++i;
    std::uint64_t handle = 0;
    std::size_t digits = 0;
    for (; i < n && argumentText[i] >= u'0' && argumentText[i] <= u'9'; ++i, ++digits) {
        handle = handle * 10 + static_cast<std::uint64_t>(argumentText[i] - u'0');
        if (handle > 0xFFFFFFFFu) return 0;
    }
    while (i < n && (argumentText[i] == u' ' || argumentText[i] == u'\t')) ++i;
    if (digits == 0 || i != n) return 0;
    return static_cast<std::uint32_t>(handle);
}

std::u16string ArgumentText(const std::u16string& commandLine) {
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (i < n && (commandLine[i] == u' ' || commandLine[i] == u'\t')) ++i;
    if (i < n && commandLine[i] == u'"') {
        ++i;
        while (i < n && commandLine[i] != u'"') ++i;
        if (i < n) ++i;
    } else {
        while (i < n && commandLine[i] != u' ' && commandLine[i] != u'\t') ++i;
    }
    while (i < n && (commandLine[i] == u' ' || commandLine[i] == u'\t')) ++i;
    return commandLine.substr(i);
}

}  // namespace kel
