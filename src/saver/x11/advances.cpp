#include "saver/x11/advances.h"

namespace kel::x11 {

namespace {

bool PatternBool(const FcPattern* pattern, const char* object, bool fallback) {
    FcBool value = fallback ? FcTrue : FcFalse;
    FcPatternGetBool(pattern, object, 0, &value);
    return value != FcFalse;
}

}  // namespace

// The FreeType load flags Xft derives from a font's pattern, so that an
// advance read here is the one Xft would report; 0 where Xft measures some
// other way (transformed, emboldened, vertical or monospaced fonts), and the
// caller lets Xft measure.
FT_Int32 AdvanceLoadFlags(const FcPattern* pattern) {
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(pattern, FC_MATRIX, 0, &matrix) == FcResultMatch &&
        (matrix->xx != 1.0 || matrix->xy != 0.0 || matrix->yx != 0.0 || matrix->yy != 1.0)) {
        return 0;
    }
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(pattern, FC_SPACING, 0, &spacing);
    if (spacing >= FC_MONO || PatternBool(pattern, FC_EMBOLDEN, false) ||
        PatternBool(pattern, FC_VERTICAL_LAYOUT, false)) {
        return 0;
    }
    const bool antialias = PatternBool(pattern, FC_ANTIALIAS, true);
    int hintStyle = FC_HINT_FULL, rgba = FC_RGBA_UNKNOWN;
    FcPatternGetInteger(pattern, FC_HINT_STYLE, 0, &hintStyle);
    FcPatternGetInteger(pattern, FC_RGBA, 0, &rgba);
    FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_COLOR;
    if (antialias && !PatternBool(pattern, FC_EMBEDDED_BITMAP, false)) flags |= FT_LOAD_NO_BITMAP;
    if (!PatternBool(pattern, FC_HINTING, true) || hintStyle == FC_HINT_NONE) flags |= FT_LOAD_NO_HINTING;
    if (!antialias) {
        flags |= FT_LOAD_TARGET_MONO;
    } else if (hintStyle > FC_HINT_NONE && hintStyle < FC_HINT_FULL) {
        flags |= FT_LOAD_TARGET_LIGHT;
    } else if (rgba == FC_RGBA_RGB || rgba == FC_RGBA_BGR) {
        flags |= FT_LOAD_TARGET_LCD;
    } else if (rgba == FC_RGBA_VRGB || rgba == FC_RGBA_VBGR) {
        flags |= FT_LOAD_TARGET_LCD_V;
    }
    if (PatternBool(pattern, FC_AUTOHINT, false)) flags |= FT_LOAD_FORCE_AUTOHINT;
    if (!PatternBool(pattern, FC_GLOBAL_ADVANCE, true)) flags |= FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
    return flags;
}

// Unhinted and lightly hinted outlines keep the design advance, scaled and
// rounded: it is read from the metrics table without loading the outline
// (which the light hinting alone makes costly). Not so for a glyph that may
// come from an embedded bitmap, nor for a variable face.
bool KeepsDesignAdvance(FT_Face face, FT_Int32 flags) {
    const bool outlines = (flags & FT_LOAD_NO_BITMAP) != 0 || face->num_fixed_sizes == 0;
    const bool plainWidths = (flags & FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH) == 0 && !FT_HAS_MULTIPLE_MASTERS(face);
    return outlines && plainWidths && FT_IS_SCALABLE(face) &&
           ((flags & FT_LOAD_NO_HINTING) != 0 || FT_LOAD_TARGET_MODE(flags) == FT_RENDER_MODE_LIGHT);
}

}  // namespace kel::x11
