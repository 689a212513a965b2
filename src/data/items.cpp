// The editor's item rule. Only ASCII bytes below 0x40 (blank, comma, double
// quote, CR, LF) have a meaning here, and none of them can be the second byte
// of a double-byte Shift-JIS character, so working on raw bytes never cuts a
// character in two.
#include "data/items.h"

namespace kel {

namespace {

class ItemReader {
public:
    explicit ItemReader(const std::string& bytes) : b_(bytes) {}

    bool AtEnd() const { return pos_ >= b_.size(); }

    std::string Next() {
        SkipBlanks();
        std::string item;
        if (pos_ < b_.size() && b_[pos_] == '"') {
            // A quoted item runs to the next double quote, whatever lies
            // between; an unclosed quote runs to the end of the file.
            const std::size_t close = b_.find('"', pos_ + 1);
            if (close == std::string::npos) {
                item = b_.substr(pos_ + 1);
                pos_ = b_.size();
                return item;
            }
            item = b_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            SkipBlanks();
            // Text between the closing quote and the delimiter is kept, not
            // dropped, so that saving the editor's text loses nothing but the
            // quotes themselves.
        }
        while (pos_ < b_.size()) {
            const char c = b_[pos_];
            if (c == ',') {
                ++pos_;
                break;
            }
            if (c == '\r') {
                ++pos_;
                if (pos_ < b_.size() && b_[pos_] == '\n') ++pos_;
                break;
            }
            item += c;
            ++pos_;
        }
        return item;
    }

private:
    void SkipBlanks() {
        while (pos_ < b_.size() && b_[pos_] == ' ') ++pos_;
    }

    const std::string& b_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<std::string> SplitItems(const std::string& bytes) {
    std::vector<std::string> items;
    ItemReader reader(bytes);
    while (!reader.AtEnd()) items.push_back(reader.Next());
    return items;
}

}  // namespace kel
