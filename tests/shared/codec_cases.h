// Code page 932 as the program relies on it, one table per direction, run
// against Win32Codec under Wine (tests/host) and IconvCodec (tests/unit) by
// CheckCodecCases, with the EXPECT macros of the file that includes it.
#pragma once

#include <string>

namespace kel::cases {

// Both ways: the text encodes to the bytes and the bytes decode to the text.
struct CodecRoundTrip {
    std::u16string text;
    std::string bytes;
};
inline const CodecRoundTrip kCodecRoundTrips[] = {
    {u"\xFF5E", "\x81\x60"},                              // ～ full-width tilde
    {u"\x3000", "\x81\x40"},                              // ideographic space
    {u"\xFF1A\x3000", "\x81\x46\x81\x40"},                // "：　" of the dialog's count label
    {u"\xFF01\x3001\x30FB", "\x81\x49\x81\x41\x81\x45"},  // ！、・
    {u"\x683C\x8A00", "\x8A\x69\x8C\xBE"},                // 格言
    {u"\xFF7D\xFF80", "\xBD\xC0"},                        // ｽﾀ half-width katakana
    {u"a\\~ \r\n", "a\\~ \r\n"},                          // ASCII as it stands, 0x5C and 0x7E too
    {u"\xFF3C\x2225\xFF0D\xFFE0\xFFE1\xFFE2", "\x81\x5F\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA"},
    {u"\x2252\x2170\x2160", "\x81\xE0\xFA\x40\x87\x54"},  // ≒ ⅰ Ⅰ: the codes Windows picks
    {u"\x0080\xF8F0\xF8F3", "\x80\xA0\xFF"},              // single bytes outside JIS
};

// Characters with no code page 932 form, each named once, in order.
struct CodecRefusal {
    std::u16string text;
    std::u16string named;
};
inline const CodecRefusal kCodecRefusals[] = {
    {u"a\x20AC" u"b\x20AC", u"\x20AC"},              // € twice: named once
    {u"\x301C", u"\x301C"},                          // wave dash: no best fit to ～
    {u"x\xD83D\xDE00", u"\xD83D\xDE00"},             // an emoji: both halves
    {u"\x00E9\x3042", u"\x00E9"},                    // é has no form; あ has
    {u"\x00A5\x00A2\x2212\x2014", u"\x00A5\x00A2\x2212\x2014"},  // ¥ ¢ − —: no best fit
};

// Bytes that are not code page 932 still decode, as the system decodes them.
struct CodecDecodeOnly {
    std::string bytes;
    std::u16string text;
};
inline const CodecDecodeOnly kCodecDecodeOnly[] = {
    {"\x85\x40", u"\x30FB"},                        // an unassigned pair: one "・"
    {"\x81\x20" "A", u"\x30FB" u"A"},               // a lead byte takes any second byte
    {std::string("\x81\0B", 3), std::u16string(u"\x30FB\0B", 3)},  // but a NUL
    {"A\x81", u"A\x30FB"},                          // a lead byte at the end
    {"\x87\x90\xED\x40", u"\x2252\x7E8A"},          // NEC and IBM duplicates
};

template <typename AnyCodec>
void CheckCodecCases(const AnyCodec& codec) {
    for (const auto& c : kCodecRoundTrips) {
        std::string bytes;
        std::u16string named;
        EXPECT_TRUE(codec.Encode(c.text, bytes, &named));
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_TRUE(named.empty());
        EXPECT_EQ(codec.Decode(c.bytes), c.text);
    }
    for (const auto& c : kCodecRefusals) {
        std::string bytes;
        std::u16string named;
        EXPECT_FALSE(codec.Encode(c.text, bytes, &named));
        EXPECT_EQ(named, c.named);
    }
    for (const auto& c : kCodecDecodeOnly) EXPECT_EQ(codec.Decode(c.bytes), c.text);
}

}  // namespace kel::cases
