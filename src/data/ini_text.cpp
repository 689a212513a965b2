// The rules follow what the Windows functions do with a Shift-JIS file:
//  - a line is read without the blanks around it; "[name]" starts a section
//    (the name runs to the last "]" of the line), "key=value" is a setting,
//    anything else is kept but means nothing;
//  - names match whatever the case of their ASCII letters; the second byte
//    of a double-byte character is never folded, nor taken for a "]";
//  - the first section of a name and its first line for a key count;
//  - a value loses the blanks around it and one pair of matching quotes.
#include "data/ini_text.h"

#include <vector>

namespace kel {

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && IsBlank(s[a])) ++a;
    while (b > a && IsBlank(s[b - 1])) --b;
    return s.substr(a, b - a);
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The last `c` of `s` that is a character of its own, not the second byte
// of a double-byte one.
std::size_t FindLastChar(const std::string& s, char c) {
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == c) found = i;
        if (IsLeadByte(static_cast<unsigned char>(s[i]))) ++i;
    }
    return found;
}

// Cuts `s` to at most `limit` bytes without splitting a double-byte
// character, as the system's conversion into a short buffer does.
std::string CutTo(const std::string& s, std::size_t limit) {
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return s.substr(0, i < s.size() ? i : s.size());
}

struct Line {
    std::size_t begin;  // first byte
    std::size_t end;    // end of its text: before the CR LF or LF
    std::size_t next;   // first byte of the next line
    enum Kind { Other, Section, Setting } kind;
    std::string name;   // the section's or the key's
    std::string value;  // a setting's, trimmed
};

std::vector<Line> ParseLines(const std::string& bytes) {
    std::vector<Line> lines;
    // A UTF-8 mark at the start (an editor's) is not part of the first line.
    std::size_t begin = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (begin < bytes.size()) {
        const std::size_t lf = bytes.find('\n', begin);
        Line line{begin, lf == std::string::npos ? bytes.size() : lf,
                  lf == std::string::npos ? bytes.size() : lf + 1, Line::Other, {}, {}};
        if (line.end > begin && bytes[line.end - 1] == '\r') --line.end;
        const std::string text = Trim(bytes.substr(begin, line.end - begin));
        const std::size_t close = FindLastChar(text, ']');
        const std::size_t equals = text.find('=');  // never a second byte
        if (!text.empty() && text[0] == '[' && close != std::string::npos) {
            line.kind = Line::Section;
            line.name = text.substr(1, close - 1);
        } else if (equals != std::string::npos) {
            line.kind = Line::Setting;
            line.name = Trim(text.substr(0, equals));
            line.value = Trim(text.substr(equals + 1));
        }
        lines.push_back(std::move(line));
        begin = lines.back().next;
    }
    return lines;
}

// Where a section and a key stand: the section's header, its last non-blank
// line and the key's line, each an index into the lines or -1.
struct Place {
    int section = -1, lastInSection = -1, key = -1;
};

Place Find(const std::vector<Line>& lines, const std::string& bytes, const std::string& section,
           const std::string& key) {
    Place place;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Section) {
            if (place.section >= 0) break;  // the end of the first section of that name
            if (SameName(line.name, section)) place.section = place.lastInSection = i;
            continue;
        }
        if (place.section < 0) continue;
        if (!Trim(bytes.substr(line.begin, line.end - line.begin)).empty()) place.lastInSection = i;
        if (line.kind == Line::Setting && SameName(line.name, key)) {
            place.key = i;
            break;
        }
    }
    return place;
}

}  // namespace

std::string IniGetString(const std::string* fileBytes, const std::string& section,
                         const std::string& key, const std::string& defaultText,
                         std::size_t bufferSize) {
    const std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;  // room for the NUL
    if (fileBytes != nullptr) {
        const std::vector<Line> lines = ParseLines(*fileBytes);
        const Place place = Find(lines, *fileBytes, section, key);
        if (place.key >= 0) {
            std::string value = lines[place.key].value;
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
                value.back() == value[0]) {
                value = value.substr(1, value.size() - 2);
            }
            return CutTo(value, limit);
        }
    }
    // The default loses its trailing blanks, as documented for the function.
    std::string text = defaultText;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return CutTo(text, limit);
}

std::string IniSetString(const std::string& fileBytes, const std::string& section,
                         const std::string& key, const std::string& value) {
    const std::vector<Line> lines = ParseLines(fileBytes);
    const Place place = Find(lines, fileBytes, section, key);
    std::string out = fileBytes;
    if (place.key >= 0) {
        // The key keeps its own spelling; only the line's text changes, its
        // line end stays.
        const Line& line = lines[place.key];
        out.replace(line.begin, line.end - line.begin, line.name + "=" + value);
    } else if (place.section >= 0) {
        const Line& last = lines[place.lastInSection];
        const bool ended = last.next > last.end;
        out.insert(last.next, (ended ? "" : "\r\n") + key + "=" + value + "\r\n");
    } else {
        if (!out.empty() && out.back() != '\n') out += "\r\n";
        out += "[" + section + "]\r\n" + key + "=" + value + "\r\n";
    }
    return out;
}

}  // namespace kel
