// What the saver writes where a data file is missing: the lines of the
// default phrase file and of the default settings file, as texts. On disk each
// line is its code page 932 bytes followed by CR LF.
#pragma once

#include <string>
#include <vector>

namespace kel {

// The 12 lines of the default phrase file; the first is the title line.
const std::vector<std::u16string>& DefaultPhraseLines();

// The 13 lines of the default settings file, empty lines included. There is
// no OneShot line: the settings dialog adds it when it is first closed.
const std::vector<std::u16string>& DefaultSettingsLines();

// The lines joined, each followed by CR LF.
std::u16string JoinWithCrLf(const std::vector<std::u16string>& lines);

}  // namespace kel
