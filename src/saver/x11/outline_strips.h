// A glyph's outline cut down to the contours that reach into a band of
// rows. FreeType's rasteriser works in bands whose cells fit a small pool,
// and walks the whole outline again for every band: a screen-high glyph
// takes dozens. Rendered strip by strip, each strip walks only the contours
// that reach into it (a kanji's strokes are contours of their own). A row's
// coverage depends on that row alone, so the pixels are the same as from
// one render over the whole glyph. Used by both Linux hosts.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <vector>

namespace kel::x11 {

class OutlineStrips {
public:
    // Rows of strips that keep a title card's strip in the cache.
    static constexpr int kRows = 96;

    // `outline` must outlive the strips taken from it.
    explicit OutlineStrips(const FT_Outline& outline);

    // The contours whose control points reach into [low, high) (26.6, the
    // outline's own y), moved down by `shift`; n_contours is 0 when none do.
    // Valid until the next call.
    const FT_Outline& Within(FT_Pos low, FT_Pos high, FT_Pos shift);

private:
    struct Rows { FT_Pos low, high; };
    const FT_Outline& outline_;
    std::vector<Rows> contours_;
    std::vector<FT_Vector> points_;
    std::vector<char> tags_;
    std::vector<short> ends_;
    FT_Outline strip_{};
};

}  // namespace kel::x11
