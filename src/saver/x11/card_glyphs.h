// Large single characters (the title card's) drawn from masks rendered
// straight into memory shared with the X server. Through Xft such a glyph
// is rendered into a buffer of its own, converted, and written down the
// connection, a screen-high bitmap per character; here FreeType renders it
// once into the shared segment and the server reads it from there. The
// pixels are the ones Xft draws with the same load flags: the same box, the
// same rasteriser, composited over the same way.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstddef>
#include <vector>

namespace kel::x11 {

class CardGlyphs {
public:
    explicit CardGlyphs(Display* display);
    ~CardGlyphs();
    CardGlyphs(const CardGlyphs&) = delete;
    CardGlyphs& operator=(const CardGlyphs&) = delete;

    // Draws glyph `index` of `face` (at its active size, `pixels` high,
    // loaded with `flags`) with its origin at (x, y) of `target` through
    // `source`, as Xft would. False, with nothing drawn, where this way
    // cannot draw it the same (no shared memory, a bitmap glyph, a mode that
    // is not greyscale): the caller then draws it with Xft.
    bool Draw(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels, Picture source,
              Picture target, int x, int y);

    // Server memory the kept masks may take together.
    static constexpr std::size_t kKeptBytes = 16 * 1024 * 1024;

private:
    struct Mask {
        FT_Face face;
        FT_UInt index;
        FT_Int32 flags;
        int pixels;
        Pixmap pixmap;
        Picture picture;
        int left, top;  // of the box, from the origin, y upwards
        unsigned width, height;
        unsigned long used;  // when last drawn, to drop the oldest first
    };

    const Mask* Find(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels);
    bool Render(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels, Mask* made);
    bool RenderInStrips(FT_Library library, const FT_Outline& outline, unsigned char* buffer, unsigned width,
                        unsigned height, int pitch);
    bool Segment(std::size_t bytes);
    void ReleaseSegment();
    void WaitForServer();
    void Keep(const Mask& mask);

    Display* display_;
    bool usable_;
    XShmSegmentInfo segment_{};
    std::size_t segmentBytes_ = 0;
    unsigned long lastPut_ = 0;  // request number of the last put from the segment
    GC gc_ = nullptr;  // for 8-bit pixmaps
    std::vector<Mask> kept_;
    std::size_t keptBytes_ = 0;
    unsigned long clock_ = 0;
};

}  // namespace kel::x11
