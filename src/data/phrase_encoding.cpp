#include "data/phrase_encoding.h"

#include "data/lines.h"
#include "platform/text.h"

namespace kel {

PhraseEncoding DetectPhraseEncoding(const std::string& bytes) {
    if (bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) return PhraseEncoding::Utf8WithMark;
    bool nonAscii = false;
    for (char c : bytes) nonAscii = nonAscii || (static_cast<unsigned char>(c) & 0x80) != 0;
    return nonAscii && IsValidUtf8(bytes) ? PhraseEncoding::Utf8 : PhraseEncoding::ShiftJis;
}

std::string PhraseBody(const std::string& bytes, PhraseEncoding encoding) {
    return encoding == PhraseEncoding::Utf8WithMark ? bytes.substr(kUtf8Mark.size()) : bytes;
}

std::u16string DecodePhrase(const Codec& codec, PhraseEncoding encoding,
                            const std::string& bytes) {
    return encoding == PhraseEncoding::ShiftJis ? codec.Decode(bytes) : Utf8ToUtf16(bytes);
}

bool EncodePhrase(const Codec& codec, PhraseEncoding encoding, const std::u16string& text,
                  std::string& bytes, std::u16string* unrepresentable) {
    if (encoding == PhraseEncoding::ShiftJis) return codec.Encode(text, bytes, unrepresentable);
    bool ok = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairs = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairs) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            ok = false;
            if (unrepresentable != nullptr && unrepresentable->find(c) == std::u16string::npos) {
                *unrepresentable += c;
            }
        }
    }
    bytes = ok ? Utf16ToUtf8(text) : std::string();
    return ok;
}

std::vector<long> LinesChangedBySave(const Codec& codec, PhraseEncoding encoding,
                                     const std::string& body) {
    std::vector<long> changed;
    LineReader reader(body);
    std::string again;
    for (long line = 1; !reader.AtEnd(); ++line) {
        const std::string bytes = reader.Next();
        if (!EncodePhrase(codec, encoding, DecodePhrase(codec, encoding, bytes), again) ||
            again != bytes) {
            changed.push_back(line);
        }
    }
    return changed;
}

// Every line ends at a CR (an LF after it belongs to the same end), so the
// line of a byte is one more than the CRs before it.
long LineOfFirstNul(const std::string& body) {
    const std::size_t nul = body.find('\0');
    if (nul == std::string::npos) return 0;
    long line = 1;
    for (std::size_t i = 0; i < nul; ++i) line += body[i] == '\r' ? 1 : 0;
    return line;
}

}  // namespace kel
