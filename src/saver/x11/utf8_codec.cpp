#include "platform/text.h"
#include "saver/x11/linux_seam.h"

namespace kel::x11 {

namespace {

// Well-formed UTF-8 with at least one non-ASCII character: no stray
// continuation bytes, no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8Text(const std::string& bytes) {
    bool wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t c = 0, least = 0;
        if (b >= 0xC2 && b <= 0xDF) length = 2, c = b & 0x1F, least = 0x80;
        else if (b >= 0xE0 && b <= 0xEF) length = 3, c = b & 0x0F, least = 0x800;
        else if (b >= 0xF0 && b <= 0xF4) length = 4, c = b & 0x07, least = 0x10000;
        else return false;
        if (i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = c << 6 | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        wide = true;
        i += length;
    }
    return wide;
}

}  // namespace

std::u16string Utf8OrShiftJisCodec::Decode(const std::string& bytes) const {
    if (!IsUtf8Text(bytes)) return shiftJis_.Decode(bytes);
    std::u16string text = Utf8ToUtf16(bytes);
    if (!text.empty() && text[0] == u'\uFEFF') text.erase(0, 1);
    return text;
}

}  // namespace kel::x11
