// How the phrase file is encoded on disk. Shift-JIS (code page 932) as it
// always was, or UTF-8 as modern editors save it. A file that starts with the
// UTF-8 byte order mark is UTF-8; so is one whose bytes are valid UTF-8 with
// non-ASCII ones, unless they are valid code page 932 as well and read more
// like Japanese that way (see DetectPhraseEncoding). Only ASCII bytes have a
// meaning to the line and item rules, and neither encoding uses them inside
// a multi-byte character, so both rules work on the raw bytes of either.
#pragma once

#include <string>
#include <vector>

#include "platform/codec.h"

namespace kel {

enum class PhraseEncoding { ShiftJis, Utf8, Utf8WithMark };

inline const std::string kUtf8Mark = "\xEF\xBB\xBF";

// Bytes that both encodings can read are decoded both ways and each reading
// is weighed character by character against what a file of Japanese sayings
// holds: kana, common kanji, CJK punctuation and ASCII cost little; rare
// kanji, half-width kana, user-defined characters more; Latin letters or
// Cyrillic alone between Japanese characters, scripts such a file never
// holds, C1 controls, private use, unassigned planes and bytes code page 932
// has no character for cost most. The cheaper reading wins; a tie is
// Shift-JIS. `codec` gives code page 932's code of each character of the UTF-8
// reading, so that a kanji costs the same in either reading.
PhraseEncoding DetectPhraseEncoding(const Codec& codec, const std::string& bytes);

// The bytes after the byte order mark, when the encoding has one.
std::string PhraseBody(const std::string& bytes, PhraseEncoding encoding);

std::u16string DecodePhrase(const Codec& codec, PhraseEncoding encoding,
                            const std::string& bytes);

// Encodes without the mark; false, listing what the encoding cannot hold in
// `unrepresentable` (each code unit once), when some character has no form
// in it: for UTF-8 only a lone surrogate half.
bool EncodePhrase(const Codec& codec, PhraseEncoding encoding, const std::u16string& text,
                  std::string& bytes, std::u16string* unrepresentable = nullptr);

// The code a file uses for each character that code page 932 has two codes
// for (NEC's row 13 and the IBM extensions repeat signs and kanji of JIS X
// 0208 and of each other), where it is not the one encoding picks: the first
// such code in the file. A save writes these characters so, and a line left
// as it was keeps its bytes. Empty for UTF-8, and for nearly every file.
struct CodeChoices {
    std::u16string chars;
    std::string codes;  // two bytes for each of `chars`
};
CodeChoices CodeChoicesOf(const Codec& codec, PhraseEncoding encoding, const std::string& body);

// EncodePhrase, each character of `choices` in the code chosen for it.
bool EncodePhraseAsBefore(const Codec& codec, PhraseEncoding encoding,
                          const std::u16string& text, const CodeChoices& choices,
                          std::string& bytes, std::u16string* unrepresentable = nullptr);

// The lines (numbered from 1 by the saver's line rule) whose bytes a save
// would not write back as they are: bytes that are not valid in the
// encoding, or a second code for a character the file also has in another.
std::vector<long> LinesChangedBySave(const Codec& codec, PhraseEncoding encoding,
                                     const CodeChoices& choices, const std::string& body);

// The line (from 1, by the saver's line rule) of the first NUL byte; 0 when
// there is none. A NUL is the same byte in both encodings.
long LineOfFirstNul(const std::string& body);

}  // namespace kel
