// Code page 932 through glibc's iconv ("CP932"), made to give what the
// Windows conversions give (MultiByteToWideChar, and WideCharToMultiByte
// with WC_NO_BEST_FIT_CHARS), compared code by code with Wine's tables:
//  - decoding: a lead byte takes the byte after it (any but NUL) as its
//    second; a pair with no character, and a lead byte at the end or before
//    a NUL, become U+30FB ("・", the code page's default character), one per
//    pair; the single bytes 0x80, 0xA0, 0xFD, 0xFE and 0xFF, which iconv
//    refuses, become U+0080 and U+F8F0 to U+F8F3;
//  - encoding: iconv's fallbacks that Windows refuses as best fits (¢ £ ¥ ¬,
//    ‖ — ‾ −, and the wave dash 〜, which iconv turns into ～) are
//    unrepresentable; U+0080 and U+F8F0 to U+F8F3 go back to their bytes.
// Both directions are tables built once from iconv with those changes.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"

namespace kel::posix {

namespace {

const char16_t kDefaultChar = u'\u30FB';
const std::uint16_t kNoBytes = 0;  // no code: U+0000 is the only one encoded as 0x00

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

int LeadIndex(unsigned char b) { return b <= 0x9F ? b - 0x81 : b - 0xE0 + 31; }
const int kLeadBytes = 31 + 29;

struct Iconv {
    iconv_t cd;
    Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            throw KelError(ErrorKind::Io, "preparing the Shift-JIS conversion",
                           std::string(from) + " to " + to, std::strerror(errno));
        }
    }
    ~Iconv() { iconv_close(cd); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts one character, whole; false when iconv refuses it.
    bool Convert(const char* in, std::size_t inSize, std::string& out) {
        char inBuffer[4];
        char outBuffer[8];
        std::memcpy(inBuffer, in, inSize);
        char* inPtr = inBuffer;
        char* outPtr = outBuffer;
        std::size_t inLeft = inSize, outLeft = sizeof outBuffer;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return false;
        }
        out.assign(outBuffer, outPtr);
        return true;
    }
};

struct Tables {
    char16_t single[256];
    char16_t pair[kLeadBytes][256];
    std::uint16_t bytes[0x10000];  // one byte, or lead << 8 | trail; kNoBytes

    Tables() {
        Iconv decode("UTF-16LE", "CP932");
        Iconv encode("CP932", "UTF-16LE");
        std::string out;
        const auto unit = [](const std::string& s) {
            return static_cast<char16_t>(static_cast<unsigned char>(s[0]) |
                                         (static_cast<unsigned char>(s[1]) << 8));
        };
        for (int b = 0; b < 256; ++b) {
            const char in = static_cast<char>(b);
            single[b] = decode.Convert(&in, 1, out) && out.size() == 2 ? unit(out) : kDefaultChar;
        }
        single[0x80] = u'\u0080';
        single[0xA0] = u'\uF8F0';
        single[0xFD] = u'\uF8F1';
        single[0xFE] = u'\uF8F2';
        single[0xFF] = u'\uF8F3';
        for (int lead = 0; lead < 256; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pair[LeadIndex(static_cast<unsigned char>(lead))][trail] =
                    decode.Convert(in, 2, out) && out.size() == 2 ? unit(out) : kDefaultChar;
            }
        }
        for (int c = 0; c < 0x10000; ++c) {
            bytes[c] = kNoBytes;
            if (c >= 0xD800 && c <= 0xDFFF) continue;  // a surrogate half has no form
            const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
            if (!encode.Convert(in, 2, out) || out.empty() || out.size() > 2) continue;
            const auto b0 = static_cast<unsigned char>(out[0]);
            bytes[c] = out.size() == 1 ? b0 : static_cast<std::uint16_t>(
                                                   b0 << 8 | static_cast<unsigned char>(out[1]));
        }
        for (char16_t refused : {u'\u00A2', u'\u00A3', u'\u00A5', u'\u00AC', u'\u2014',
                                 u'\u2016', u'\u203E', u'\u2212', u'\u301C'}) {
            bytes[refused] = kNoBytes;
        }
        bytes[0x0080] = 0x80;
        bytes[0xF8F0] = 0xA0;
        bytes[0xF8F1] = 0xFD;
        bytes[0xF8F2] = 0xFE;
        bytes[0xF8F3] = 0xFF;
    }
};

const Tables& TheTables() {
    static const Tables* tables = new Tables;  // kept for the process's life
    return *tables;
}

}  // namespace

std::u16string IconvCodec::Decode(const std::string& bytes) const {
    const Tables& t = TheTables();
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (!IsLeadByte(b)) {
            text += t.single[b];
        } else if (i + 1 < bytes.size() && bytes[i + 1] != '\0') {
            text += t.pair[LeadIndex(b)][static_cast<unsigned char>(bytes[i + 1])];
            ++i;
        } else {
            text += kDefaultChar;
        }
    }
    return text;
}

bool IconvCodec::Encode(const std::u16string& text, std::string& bytes,
                        std::u16string* unrepresentable) const {
    const Tables& t = TheTables();
    bytes.clear();
    bool ok = true;
    for (char16_t c : text) {
        const std::uint16_t code = t.bytes[c];
        if (code == kNoBytes && c != 0) {
            ok = false;
            if (unrepresentable != nullptr && unrepresentable->find(c) == std::u16string::npos) {
                *unrepresentable += c;
            }
            continue;
        }
        if (code > 0xFF) bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
    }
    return ok;
}

}  // namespace kel::posix
