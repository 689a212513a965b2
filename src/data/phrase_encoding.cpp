#include "data/phrase_encoding.h"

#include <cstdint>

#include "data/lines.h"
#include "platform/text.h"

namespace kel {

namespace {

// Costs, roughly in bits: how unlikely a character is in a file of Japanese
// sayings. Bytes code page 932 has no character for cost the most.
const int kNoCharacter = 40;
const int kAlone = 8;

// Each table holds a cost from its entry's key up to the next entry's.
struct Step {
    std::uint16_t from;
    std::uint8_t cost;
};

// By code page 932 code: one byte below 0x100, else lead << 8 | trail.
const Step kByCode[] = {
    {0x0000, 3},  {0x0080, 30},           // ASCII; 0x80, kept by the system as U+0080
    {0x0081, kNoCharacter}, {0x00A0, 30}, // a lead byte with no second; 0xA0
    {0x00A1, 8},  {0x00E0, kNoCharacter}, // half-width katakana
    {0x00FD, 30}, {0x0100, kNoCharacter}, // 0xFD to 0xFF
    {0x8140, 4},  {0x817B, 7},            // 、。・ー～「」 and the like; signs
    {0x81AD, kNoCharacter}, {0x81B8, 7}, {0x81C0, kNoCharacter}, {0x81C8, 7},
    {0x81CF, kNoCharacter}, {0x81DA, 7}, {0x81E9, kNoCharacter}, {0x81F0, 7},
    {0x81F8, kNoCharacter}, {0x81FC, 7}, {0x81FD, kNoCharacter},
    {0x824F, 6},  {0x8259, kNoCharacter}, // full-width digits and letters
    {0x8260, 6},  {0x827A, kNoCharacter}, {0x8281, 6}, {0x829B, kNoCharacter},
    {0x829F, 3},  {0x82F2, kNoCharacter}, // hiragana
    {0x8340, 3},  {0x8397, kNoCharacter}, // katakana
    {0x839F, 10}, {0x83B7, kNoCharacter}, {0x83BF, 10}, {0x83D7, kNoCharacter},  // Greek
    {0x8440, 10}, {0x8461, kNoCharacter}, {0x8470, 10}, {0x8492, kNoCharacter},  // Cyrillic
    {0x849F, 10}, {0x84BF, kNoCharacter}, // box drawing
    {0x8740, 8},  {0x875E, kNoCharacter}, // NEC row 13: ① Ⅰ ㍉ ㈱ ≒ ∵ ...
    {0x875F, 8},  {0x8776, kNoCharacter}, {0x877E, 8}, {0x879D, kNoCharacter},
    {0x889F, 6},  {0x9873, kNoCharacter}, // kanji, first level
    {0x989F, 9},  {0xEAA5, kNoCharacter}, // kanji, second level
    {0xED40, 10}, {0xEEED, kNoCharacter}, {0xEEEF, 10},  // NEC-selected IBM extensions
    {0xF040, 14},                         // user-defined characters
    {0xFA40, 10}, {0xFC4C, kNoCharacter}, // IBM extensions
    {0xFFFF, kNoCharacter},
};

// Characters code page 932 has no code for, by code point / 16.
const Step kByCodePoint[] = {
    {0x000, 3},    {0x008, 30},   // C1 controls
    {0x00A, 12},   {0x025, 18},   // Latin letters with marks; phonetic signs
    {0x037, 16},   {0x053, 22},   // Greek and Cyrillic; other alphabets and scripts
    {0x200, 10},   {0x207, 12},   // punctuation; currency signs
    {0x210, 14},   {0x260, 10},   // mathematical and technical signs; symbols
    {0x27C, 16},   {0x2B0, 12},   {0x2C0, 20},  // more signs; stars; alphabets
    {0x2E8, 14},   {0x300, 5},    // radicals; CJK punctuation and kana (〜 U+301C)
    {0x310, 12},   {0x313, 18},   {0x319, 12},  // Hangul letters
    {0x340, 18},   {0x4DC, 18},   {0x4E0, 14},  // rare kanji; kanji not in JIS
    {0xA00, 20},   {0xAC0, 16},   {0xD7B, 20},  // Yi and others; Hangul
    {0xE00, 16},   {0xF90, 14},   {0xFB0, 18},  // private use; compatibility kanji
    {0xFE3, 10},   {0xFE7, 18},   {0xFF0, 8},   {0xFFF, 30},  // full-width forms
    {0x1000, 22},  {0x1F00, 8},   {0x1FB0, 22},  // historic scripts; emoji
    {0x2000, 14},  {0x4000, 30},  // kanji of the supplementary plane; unassigned
    {0xFFFF, 30},
};

int CostIn(const Step* table, unsigned key) {
    while (table[1].from <= key && table[1].from != 0xFFFF) ++table;
    return table->cost;
}

const int kOther = 0, kSign = 1, kLatin = 2, kGreekCyrillic = 3;

int Kind(std::uint32_t c) {
    if ((c >= 0x40 && c <= 0x7E) || (c >= 0xA0 && c < 0x370)) return kLatin;
    if (c >= 0x370 && c < 0x530) return kGreekCyrillic;
    return c > 0x20 && c < 0x40 ? kSign : kOther;
}

// The sum of a reading's costs, character by character; a letter with no
// letter of its own alphabet, digit nor ASCII sign on either side costs more.
class Reading {
public:
    void Add(int cost, int kind) {
        Settle(kind);
        total_ += cost;
        before_ = last_;
        last_ = kind;
    }
    long Total() {
        Settle(kOther);
        return total_;
    }

private:
    void Settle(int next) {
        if (last_ >= kLatin && before_ != last_ && next != last_ && before_ != kSign &&
            next != kSign) {
            total_ += kAlone;
        }
    }
    long total_ = 0;
    int before_ = kOther, last_ = kOther;
};

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Code page 932, unit by unit: a lead byte takes the next byte (any but NUL)
// as its second, as the system decodes.
Reading ShiftJisReading(const std::string& bytes) {
    Reading reading;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        unsigned code = b;
        int kind = b < 0x80 ? Kind(b) : kOther;
        if (IsLeadByte(b) && i + 1 < bytes.size() && bytes[i + 1] != '\0') {
            const auto t = static_cast<unsigned char>(bytes[++i]);
            code = t >= 0x40 && t <= 0xFC && t != 0x7F ? b << 8 | t : 0x100;
            const bool alphabet = (code >= 0x839F && code <= 0x83D6) || (code >= 0x8440 && code <= 0x8491);
            kind = alphabet ? kGreekCyrillic : kOther;
        }
        reading.Add(CostIn(kByCode, code), kind);
    }
    return reading;
}

long Utf8Cost(const Codec& codec, const std::string& bytes) {
    Reading reading;
    const std::u16string text = Utf8ToUtf16(bytes);
    std::string code;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        int cost = CostIn(kByCodePoint, c >> 4);
        if (c >= 0x80 && c < 0x10000 && codec.Encode(text.substr(i, 1), code)) {
            const auto lead = static_cast<unsigned char>(code[0]);
            cost = CostIn(kByCode, code.size() == 1 ? lead : lead << 8 | static_cast<unsigned char>(code[1]));
        }
        reading.Add(cost, Kind(c));
    }
    return reading.Total();
}

}  // namespace

PhraseEncoding DetectPhraseEncoding(const Codec& codec, const std::string& bytes) {
    if (bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) return PhraseEncoding::Utf8WithMark;
    bool nonAscii = false;
    for (char c : bytes) nonAscii = nonAscii || (static_cast<unsigned char>(c) & 0x80) != 0;
    if (!nonAscii || !IsValidUtf8(bytes)) return PhraseEncoding::ShiftJis;
    return Utf8Cost(codec, bytes) < ShiftJisReading(bytes).Total() ? PhraseEncoding::Utf8
                                                                   : PhraseEncoding::ShiftJis;
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

CodeChoices CodeChoicesOf(const Codec& codec, PhraseEncoding encoding, const std::string& body) {
    CodeChoices choices;
    std::string again;
    for (std::size_t i = 0; encoding == PhraseEncoding::ShiftJis && i + 1 < body.size(); ++i) {
        const auto b = static_cast<unsigned char>(body[i]);
        if (!IsLeadByte(b) || body[i + 1] == '\0') continue;
        const std::string code = body.substr(i++, 2);
        if (b != 0x87 && b != 0xED && b != 0xEE && b < 0xFA) continue;  // one code only
        const std::u16string c = codec.Decode(code);
        if (c.size() == 1 && c[0] != u'\u30FB' && choices.chars.find(c[0]) == std::u16string::npos &&
            codec.Encode(c, again) && again != code) {
            choices.chars += c;
            choices.codes += code;
        }
    }
    return choices;
}

bool EncodePhraseAsBefore(const Codec& codec, PhraseEncoding encoding,
                          const std::u16string& text, const CodeChoices& choices,
                          std::string& bytes, std::u16string* unrepresentable) {
    if (choices.chars.empty()) return EncodePhrase(codec, encoding, text, bytes, unrepresentable);
    bytes.clear();
    bool ok = true;
    std::string part;
    for (std::size_t i = 0, start = 0; i <= text.size(); ++i) {
        const std::size_t k = i < text.size() ? choices.chars.find(text[i]) : 0;
        if (k == std::u16string::npos) continue;
        ok = EncodePhrase(codec, encoding, text.substr(start, i - start), part, unrepresentable) && ok;
        bytes += part;
        if (i < text.size()) bytes += choices.codes.substr(2 * k, 2);
        start = i + 1;
    }
    return ok;
}

std::vector<long> LinesChangedBySave(const Codec& codec, PhraseEncoding encoding,
                                     const CodeChoices& choices, const std::string& body) {
    std::vector<long> changed;
    LineReader reader(body);
    std::string again;
    for (long line = 1; !reader.AtEnd(); ++line) {
        const std::string bytes = reader.Next();
        if (!EncodePhraseAsBefore(codec, encoding, DecodePhrase(codec, encoding, bytes), choices,
                                  again) ||
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
