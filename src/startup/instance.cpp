#include "startup/instance.h"

#include <cstdint>

namespace kel {

namespace {

// The path as one file: \\?\C:\x and \\?\UNC\host\x are C:\x and \\host\x.
std::u16string Normalised(const std::u16string& fullPath) {
    std::u16string path = fullPath;
    for (auto& c : path) {
        if (c == u'/') c = u'\\';
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    const std::u16string longUnc = u"\\\\?\\UNC\\";
    const std::u16string longPrefix = u"\\\\?\\";
    if (path.compare(0, longUnc.size(), longUnc) == 0) {
        path = u"\\\\" + path.substr(longUnc.size());
    } else if (path.compare(0, longPrefix.size(), longPrefix) == 0) {
        path = path.substr(longPrefix.size());
    }
    return path;
}

// FNV-1a, 64 bits, over the UTF-16 code units (low byte first).
std::uint64_t Fnv1a64(const std::u16string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char16_t unit : text) {
        for (int shift = 0; shift <= 8; shift += 8) {
            hash ^= static_cast<std::uint8_t>(unit >> shift);
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

}  // namespace

std::u16string InstanceMutexName(const std::u16string& fullPath) {
    const std::uint64_t hash = Fnv1a64(Normalised(fullPath));
    std::u16string name = u"Local\\kel-saver-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += u"0123456789abcdef"[(hash >> shift) & 0xF];
    }
    return name;
}

bool AnotherInstanceRuns(InstanceMutex outcome) {
    return outcome == InstanceMutex::AlreadyExists || outcome == InstanceMutex::AccessDenied;
}

}  // namespace kel
