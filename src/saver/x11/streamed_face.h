// A font file's face read through a stream of small reads, each face with
// its own stream and its own FT_Size: sizes set on one never reach another.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace kel::x11 {

// nullptr where the file cannot be opened or read as a face.
FT_Face OpenFaceStreamed(const char* file, int index);
// The face, its stream and its file, closed and freed.
void CloseFaceStreamed(FT_Face face);

}  // namespace kel::x11
