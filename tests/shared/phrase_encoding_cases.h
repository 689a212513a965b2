// The phrase file's encoding as the saver and the dialog read it, one table
// run with IconvCodec (tests/unit) and with Win32Codec under Wine
// (tests/host) by CheckPhraseEncodingCases, with the EXPECT macros of the
// file that includes it.
#pragma once

#include <string>

#include "data/phrase_encoding.h"

namespace kel::cases {

struct PhraseEncodingCase {
    const char* why;
    std::string bytes;
    PhraseEncoding reading;
};
inline const PhraseEncodingCase kPhraseEncodings[] = {
    {"癲格 in Shift-JIS; in UTF-8 a Khmer sign, a lone i", "\xE1\x9F\x8A\x69", PhraseEncoding::ShiftJis},
    {"閾値 in Shift-JIS; in UTF-8 a kanji, a lone l", "\xE8\x87\x92\x6C", PhraseEncoding::ShiftJis},
    {"癲① (NEC row 13); in UTF-8 a Khmer sign, a lone @", "\xE1\x9F\x87\x40", PhraseEncoding::ShiftJis},
    {"user-defined and 拠; in UTF-8 an unassigned plane", "\xF1\x83\x8B\x92", PhraseEncoding::ShiftJis},
    {"ﾏｲ in half-width kana; in UTF-8 a lone Greek letter", "\xCF\xB2", PhraseEncoding::ShiftJis},
    {"あい in UTF-8; in Shift-JIS a rare kanji, a kana, a sign", "\xE3\x81\x82\xE3\x81\x84",
     PhraseEncoding::Utf8},
    {"格言迷言 in UTF-8; in Shift-JIS bytes with no character",
     "\xE6\xA0\xBC\xE8\xA8\x80\xE8\xBF\xB7\xE8\xA8\x80", PhraseEncoding::Utf8},
    {"🌸 in UTF-8; in Shift-JIS user-defined and a kanji", "\xF0\x9F\x8C\xB8", PhraseEncoding::Utf8},
    {"😀 in UTF-8 with the mark", "\xEF\xBB\xBF\xF0\x9F\x98\x80", PhraseEncoding::Utf8WithMark},
};

template <typename AnyCodec>
void CheckPhraseEncodingCases(const AnyCodec& codec) {
    for (const auto& c : kPhraseEncodings) {
        EXPECT_EQ(static_cast<int>(DetectPhraseEncoding(codec, c.bytes)), static_cast<int>(c.reading))
            << c.why;
    }
}

}  // namespace kel::cases
