#include "data/lines.h"

namespace kel {

std::string LineReader::Next() {
    const std::size_t start = pos_;
    const std::size_t cr = bytes_.find('\r', start);
    if (cr == std::string::npos) {
        pos_ = bytes_.size();
        return bytes_.substr(start);
    }
    pos_ = cr + 1;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
    return bytes_.substr(start, cr - start);
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    LineReader reader(bytes);
    while (!reader.AtEnd()) lines.push_back(reader.Next());
    return lines;
}

}  // namespace kel
