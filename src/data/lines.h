// The saver's whole-line rule over the bytes of the phrase file.
#pragma once

#include <string>
#include <vector>

namespace kel {

// A line ends at CR LF or at a lone CR (the marker is not kept); a lone LF
// stays in the text; the last line needs no marker; reading stops when the
// bytes are used up, so a final CR LF adds no empty line but CR LF CR LF at the
// end does. Lines are returned as raw bytes.
std::vector<std::string> SplitLines(const std::string& bytes);

}  // namespace kel
