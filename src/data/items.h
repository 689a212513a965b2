// The editor's item rule over the bytes of the phrase file.
#pragma once

#include <string>
#include <vector>

namespace kel {

// Blanks before an item are skipped; an item ends at an ASCII comma or at the
// line end (CR LF, or a lone CR as in the saver's line rule; a lone LF is
// part of the item), the delimiter consumed; an item that begins with a double
// quote runs to the next double quote (commas inside do not split it); an
// empty line is one empty item. Items are raw bytes.
std::vector<std::string> SplitItems(const std::string& bytes);

}  // namespace kel
