// How the phrase file is encoded on disk. Shift-JIS (code page 932) as it
// always was, or UTF-8 as modern editors save it: a file that starts with
// the UTF-8 byte order mark, or whose bytes are valid UTF-8 throughout and
// include non-ASCII bytes, is read and written back as UTF-8 (with the mark
// where it had one). Only ASCII bytes have a meaning to the line and item
// rules, and neither encoding uses them inside a multi-byte character, so
// both rules work on the raw bytes of either.
#pragma once

#include <string>
#include <vector>

#include "platform/codec.h"

namespace kel {

enum class PhraseEncoding { ShiftJis, Utf8, Utf8WithMark };

inline const std::string kUtf8Mark = "\xEF\xBB\xBF";

PhraseEncoding DetectPhraseEncoding(const std::string& bytes);

// The bytes after the byte order mark, when the encoding has one.
std::string PhraseBody(const std::string& bytes, PhraseEncoding encoding);

std::u16string DecodePhrase(const Codec& codec, PhraseEncoding encoding,
                            const std::string& bytes);

// Encodes without the mark; false, listing what the encoding cannot hold in
// `unrepresentable` (each code unit once), when some character has no form
// in it: for UTF-8 only a lone surrogate half.
bool EncodePhrase(const Codec& codec, PhraseEncoding encoding, const std::u16string& text,
                  std::string& bytes, std::u16string* unrepresentable = nullptr);

// The lines (numbered from 1 by the saver's line rule) whose bytes would not
// be written back as they are: bytes that are not valid in the encoding.
std::vector<long> LinesChangedBySave(const Codec& codec, PhraseEncoding encoding,
                                     const std::string& body);

// The line (from 1, by the saver's line rule) of the first NUL byte; 0 when
// there is none. A NUL is the same byte in both encodings.
long LineOfFirstNul(const std::string& body);

}  // namespace kel
