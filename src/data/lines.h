// The saver's whole-line rule over the bytes of the phrase file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kel {

// A line ends at CR LF or at a lone CR (the marker is not kept); a lone LF
// stays in the text; the last line needs no marker; reading stops when the
// bytes are used up, so a final CR LF adds no empty line but CR LF CR LF at the
// end does. Lines are returned as raw bytes.
std::vector<std::string> SplitLines(const std::string& bytes);

// The same rule one line at a time, for a reader that must stop after a
// number of lines without splitting the rest of a large file first.
class LineReader {
public:
    explicit LineReader(const std::string& bytes) : bytes_(bytes) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    // The next line without its end marker; at the end, an empty text.
    std::string Next();

    // Byte offset of the next line, for reports.
    std::size_t Position() const { return pos_; }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};

}  // namespace kel
