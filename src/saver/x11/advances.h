// Advances read from a face's metrics or outlines the way Xft would report
// them, without Xft rendering the glyphs.
#pragma once

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <freetype/ftadvanc.h>

#include <string>

namespace kel::x11 {

// The FreeType load flags Xft derives from a font's pattern; 0 where Xft
// measures some other way.
FT_Int32 AdvanceLoadFlags(const FcPattern* pattern);
// Whether the advance is the design advance, scaled and rounded.
bool KeepsDesignAdvance(FT_Face face, FT_Int32 flags);

// The advances of `text` at the face's current size, one glyph per code
// unit as XftTextExtents16 takes them; -1 where one cannot be read.
template <typename IndexOf>
int SumAdvances(FT_Face face, FT_Int32 flags, const std::u16string& text, IndexOf indexOf) {
    const bool design = KeepsDesignAdvance(face, flags);
    long advance = 0;
    for (const char16_t unit : text) {
        const FT_UInt glyph = indexOf(unit);
        FT_Fixed units = 0;
        if (design && FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &units) == 0) {
            advance += (FT_MulFix(units, face->size->metrics.x_scale) + 32) >> 6;
        } else if (FT_Load_Glyph(face, glyph, flags) == 0) {
            advance += (face->glyph->advance.x + 32) >> 6;
        } else {
            return -1;
        }
    }
    return advance > 32767 ? -1 : static_cast<int>(advance);
}

}  // namespace kel::x11
