// The start-up folder rule: a copy of the saver that lies in the start-up
// folder greets the user with one saying at log-on and ends.
#pragma once

#include <string>

namespace kel {

// "ｽﾀｰﾄｱｯﾌﾟ" in half-width katakana, eight characters.
inline const std::u16string kStartupFolderName =
    u"\uFF7D\uFF80\uFF70\uFF84\uFF71\uFF6F\uFF8C\uFF9F";

// True when the last eight characters of the directory path are exactly that
// name (no case folding, no width folding).
bool IsStartupFolder(const std::u16string& directory);

}  // namespace kel
