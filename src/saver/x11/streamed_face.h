// A font file's face read through a stream of small reads rather than
// mapped whole.
#pragma once

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fcfreetype.h>

namespace kel::x11 {

// nullptr where the file cannot be opened or read as a face.
FT_Face OpenFaceStreamed(const char* file, int index);

// Makes a matched pattern name its face by an FC_FT_FACE opened streamed
// (one face per file for the whole program) in place of its FC_FILE; left
// as it is where the face cannot be opened so.
void UseStreamedFace(FcPattern* pattern);
// The face a pattern names by FC_FT_FACE; nullptr where it names none.
FT_Face SharedFace(const FcPattern* pattern);

}  // namespace kel::x11
