// A font file's face read through a stream of small reads rather than
// mapped whole.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace kel::x11 {

// nullptr where the file cannot be opened or read as a face.
FT_Face OpenFaceStreamed(const char* file, int index);

}  // namespace kel::x11
