#include "saver/wayland/ft_label.h"

#include <fontconfig/fontconfig.h>
#include FT_SIZES_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

#include "platform/errors.h"
#include "platform/label_size.h"
#include "saver/x11/outline_strips.h"
#include "saver/x11/streamed_face.h"

namespace kel::wayland {

namespace {

// The face file read through small reads, as the X11 labels read it (only
// the tables in use stay in memory); FreeType's own opening, a mapping,
// where the file cannot be read so.
FT_Face OpenFace(FT_Library library, const char* path, int index) {
    if (FT_Face face = x11::OpenFaceStreamed(path, index)) return face;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path, index, &face) != 0) return nullptr;
    return face;
}

// The face fontconfig matches for `pattern`, opened once for the program:
// every label and every size share it, each through size objects of its own.
// The load flags follow the match's hinting settings.
FT_Face SharedFace(const char* pattern, FT_Int32* loadFlags) {
    static FT_Library library = nullptr;
    static FT_Face face = nullptr;
    static FT_Int32 flags = 0;
    static std::string openedFor;
    if (face != nullptr && openedFor == pattern) {
        *loadFlags = flags;
        return face;
    }
    if (library == nullptr && FT_Init_FreeType(&library) != 0) return nullptr;
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (wanted == nullptr) return nullptr;
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* matched = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    if (matched == nullptr) return nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    FcBool hinting = FcTrue;
    int hintStyle = FC_HINT_SLIGHT;
    FT_Face opened = nullptr;
    if (FcPatternGetString(matched, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(matched, FC_INDEX, 0, &index);
        FcPatternGetBool(matched, FC_HINTING, 0, &hinting);
        FcPatternGetInteger(matched, FC_HINT_STYLE, 0, &hintStyle);
        opened = OpenFace(library, reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(matched);
    if (opened == nullptr) return nullptr;
    // Outlines only, light hinting at most: advances then keep the design's
    // widths, scaled and rounded, as the X11 label measures them.
    flags = FT_LOAD_NO_BITMAP | (hinting == FcFalse || hintStyle == FC_HINT_NONE
                                     ? FT_LOAD_NO_HINTING
                                     : FT_LOAD_TARGET_LIGHT);
    face = opened;  // an earlier face stays: labels may still use it
    openedFor = pattern;
    *loadFlags = flags;
    return face;
}

// Calls `each` with every character of `text`, a surrogate pair as one.
template <typename Each>
void ForEachCharacter(const std::u16string& text, Each each) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t unit = text[at];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
            text[at + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        }
        each(unit);
    }
}

static_assert(sizeof(wchar_t) == sizeof(std::uint32_t), "runs of pixels are filled as wide characters");

// `count` pixels of `value`: short runs (a glyph's edges) stored one by one.
inline void Fill(std::uint32_t* pixels, std::uint32_t value, long count) {
    if (count < 8) {
        for (long i = 0; i < count; ++i) pixels[i] = value;
    } else {
        // wmemset stores wide characters, 32 bits here, as vectors.
        wmemset(reinterpret_cast<wchar_t*>(pixels), static_cast<wchar_t>(value), static_cast<std::size_t>(count));
    }
}

// `colour` (0x00RRGGBB) at coverage `alpha` (0 to 255) over a premultiplied
// 0xAARRGGBB pixel: transparent pixels take the glyph's own edge, opaque
// ones the colour mixed in.
inline std::uint32_t Over(std::uint32_t under, std::uint32_t colour, unsigned alpha) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned u = (under >> shift) & 0xFF, c = (colour >> shift) & 0xFF;
        out |= ((c * alpha + u * (255 - alpha) + 127) / 255) << shift;
    }
    const unsigned a = under >> 24;
    return out | ((alpha + (a * (255 - alpha) + 127) / 255) << 24);
}

}  // namespace

FreeTypeLabel::FreeTypeLabel(double dpi, std::function<void(const PixelRect&)> changed,
                             const char* facePattern)
    : dpi_(dpi), changed_(std::move(changed)) {
    face_ = SharedFace(facePattern, &loadFlags_);
    if (face_ == nullptr) {
        throw KelError(ErrorKind::ResourceMissing, "finding a font for the sayings",
                       std::string("fontconfig pattern ") + facePattern);
    }
    SetFontSize(72.0f);
}

FreeTypeLabel::~FreeTypeLabel() {
    DropGlyphs();
    for (Sized& s : sized_) {
        if (s.size != nullptr) FT_Done_Size(s.size);
    }
}

template <typename Change>
void FreeTypeLabel::Update(Change change) {
    const bool wasShown = visible_ && !caption_.empty();
    const PixelRect before = wasShown ? PixelBounds() : PixelRect{};
    change();
    if (wasShown) changed_(before);
    if (visible_ && !caption_.empty()) changed_(PixelBounds());
}

// s points make a font of round(s x DPI / 72) pixels, as on Windows.
void FreeTypeLabel::SetFontSize(float points) {
    const int height = LabelPixelHeight(points, dpi_);
    points_ = points;
    if (height == pixelHeight_) return;
    Update([&] {
        pixelHeight_ = height;
        widthPixels_ = -1;
        glyphsKnown_ = false;
    });
}

void FreeTypeLabel::SetDpi(double dpi) {
    if (dpi == dpi_) return;
    Update([&] { dpi_ = dpi; });
    SetFontSize(points_);
}

// The label's size object at its current pixel size, made the face's active
// size. Of the two kept, the one used longest ago is sized anew.
const FreeTypeLabel::Sized& FreeTypeLabel::Use() const {
    int slot = -1;
    for (int i = 0; i < 2; ++i) {
        if (sized_[i].size != nullptr && sized_[i].pixels == pixelHeight_) slot = i;
    }
    if (slot < 0) {
        slot = 1 - lastUsed_;
        Sized& s = sized_[slot];
        if (s.size == nullptr && FT_New_Size(face_, &s.size) != 0) {
            s.size = nullptr;
            throw KelError(ErrorKind::Io, "opening a font", "no memory for a size of the face");
        }
        FT_Activate_Size(s.size);
        const FT_F26Dot6 size = static_cast<FT_F26Dot6>(pixelHeight_) * 64;
        if (FT_Set_Char_Size(face_, size, size, 72, 72) != 0) {
            s.pixels = 0;
            throw KelError(ErrorKind::InvalidValue, "opening a font",
                           "size " + PointsText(FontSize()) + " points");
        }
        s.pixels = pixelHeight_;
        // Whole pixels: the ascender rounded up, the descender down.
        s.ascent = static_cast<int>((s.size->metrics.ascender + 63) >> 6);
        s.descent = static_cast<int>(-(s.size->metrics.descender >> 6));
    }
    lastUsed_ = slot;
    FT_Activate_Size(sized_[slot].size);
    return sized_[slot];
}

// The advance of the caption, one glyph per character: each glyph's design
// advance at this size, rounded to whole pixels, as the renderer steps.
int FreeTypeLabel::WidthPixels() const {
    if (widthPixels_ >= 0) return widthPixels_;
    Use();
    long advance = 0;
    ForEachCharacter(caption_, [&](char32_t character) {
        FT_Fixed units = 0;
        const FT_UInt glyph = FT_Get_Char_Index(face_, character);
        if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &units) == 0) {
            advance += (FT_MulFix(units, face_->size->metrics.x_scale) + 32) >> 6;
        }
    });
    widthPixels_ = static_cast<int>(std::min<long>(advance, 1L << 20));
    return widthPixels_;
}

void FreeTypeLabel::SetCaption(const std::u16string& caption) {
    if (caption == caption_) return;
    Update([&] {
        caption_ = caption;
        widthPixels_ = -1;
        glyphsKnown_ = false;
    });
}

void FreeTypeLabel::SetLeft(float twips) {
    Update([&] { left_ = twips; });
}

void FreeTypeLabel::SetTop(float twips) {
    Update([&] { top_ = twips; });
}

void FreeTypeLabel::SetVisible(bool visible) {
    if (visible == visible_) return;
    Update([&] { visible_ = visible; });
}

void FreeTypeLabel::SetForeColor(std::uint32_t colour) {
    Update([&] {
        colour_ = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    });
}

float FreeTypeLabel::Width() const { return static_cast<float>(WidthPixels()) * TwipsPerPixel(); }

// One line of the font, ascent and descent, even with an empty caption.
float FreeTypeLabel::Height() const {
    const Sized& s = Use();
    return static_cast<float>(s.ascent + s.descent) * TwipsPerPixel();
}

int FreeTypeLabel::X() const { return static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f)); }
int FreeTypeLabel::Y() const { return static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f)); }

FreeTypeLabel::Look FreeTypeLabel::Shown() const {
    if (!visible_ || caption_.empty()) return Look{};
    return Look{caption_, pixelHeight_, X(), Y(), colour_};
}

PixelRect FreeTypeLabel::PixelBounds() const {
    const Sized& s = Use();
    const int height = s.ascent + s.descent;
    const int margin = height / 4 + 1;
    return PixelRect{X() - margin, Y() - margin, WidthPixels() + 2 * margin, height + 2 * margin};
}

void FreeTypeLabel::DropGlyphs() const {
    for (Glyph& glyph : glyphs_) {
        if (glyph.outline != nullptr) FT_Done_Glyph(glyph.outline);
    }
    glyphs_.clear();
}

// Each glyph is loaded as drawn: hinted as the match says, the title card's
// lone character unhinted as on X11; the rasteriser puts ink only in the
// pixels that its outline's control box touches.
const std::vector<FreeTypeLabel::Glyph>& FreeTypeLabel::Glyphs() const {
    if (glyphsKnown_) return glyphs_;
    DropGlyphs();
    Use();
    const bool card = caption_.size() == 1 && pixelHeight_ >= kCardPixels;
    const FT_Int32 flags = card ? (loadFlags_ | FT_LOAD_NO_HINTING) & ~FT_LOAD_FORCE_AUTOHINT : loadFlags_;
    long penX = 0;
    ForEachCharacter(caption_, [&](char32_t character) {
        const FT_UInt index = FT_Get_Char_Index(face_, character);
        Glyph glyph;
        glyph.penX = penX;
        FT_Fixed units = 0;
        if (FT_Get_Advance(face_, index, FT_LOAD_NO_SCALE, &units) == 0) {
            penX += (FT_MulFix(units, face_->size->metrics.x_scale) + 32) >> 6;
        }
        if (FT_Load_Glyph(face_, index, flags) == 0 && face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE &&
            face_->glyph->outline.n_points > 0) {
            FT_BBox box;
            FT_Outline_Get_CBox(&face_->glyph->outline, &box);
            const long left = box.xMin >> 6, right = (box.xMax + 63) >> 6;
            const long top = -((box.yMax + 63) >> 6), bottom = -(box.yMin >> 6);
            if (right > left && bottom > top && FT_Get_Glyph(face_->glyph, &glyph.outline) == 0) {
                glyph.ink = PixelRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                                      static_cast<int>(bottom - top)};
            } else {
                glyph.outline = nullptr;
            }
        }
        glyphs_.push_back(glyph);
    });
    glyphsKnown_ = true;
    return glyphs_;
}

PixelRect FreeTypeLabel::InkBounds() const {
    if (!visible_ || caption_.empty()) return PixelRect{};
    const long baseline = Y() + Use().ascent;
    const long left = X();
    PixelRect ink;
    for (const Glyph& glyph : Glyphs()) {
        if (glyph.outline == nullptr) continue;
        ink = Union(ink, PixelRect{static_cast<int>(left + glyph.penX + glyph.ink.x),
                                   static_cast<int>(baseline + glyph.ink.y), glyph.ink.width, glyph.ink.height});
    }
    return ink;
}

void FreeTypeLabel::PrepareEdges() const {
    if (edgesColour_ == colour_) return;
    for (unsigned alpha = 0; alpha < 256; ++alpha) edges_[alpha] = Over(0, colour_, alpha);
    edgesColour_ = colour_;
}

void FreeTypeLabel::Paint(const PixelBuffer& target, const PixelRect& clip, int offsetX,
                          int offsetY) const {
    if (!visible_ || caption_.empty()) return;
    const PixelRect area = Intersect(clip, PixelRect{0, 0, target.width, target.height});
    if (area.width <= 0) return;
    PrepareEdges();
    const long originX = offsetX + X();
    const long baseline = offsetY + Y() + Use().ascent;
    for (const Glyph& glyph : Glyphs()) {
        if (glyph.outline == nullptr) continue;
        // Only glyphs that reach into the area are rendered.
        const PixelRect at{static_cast<int>(originX + glyph.penX + glyph.ink.x),
                           static_cast<int>(baseline + glyph.ink.y), glyph.ink.width, glyph.ink.height};
        if (Intersect(at, area).width <= 0) continue;
        RenderOutline(reinterpret_cast<FT_OutlineGlyph>(glyph.outline)->outline, target, area,
                      originX + glyph.penX, baseline);
    }
}

// The outline's coverage straight into the pixels, row by row as the
// rasteriser finds it, with no bitmap in between: runs of full coverage are
// filled with the colour, only the edges are mixed.
void FreeTypeLabel::RenderOutline(const FT_Outline& outline, const PixelBuffer& target, const PixelRect& area,
                                  long originX, long baseline) const {
    struct Spans {
        const PixelBuffer* target;
        PixelRect area;
        long originX, baseline;
        std::uint32_t colour;
        const std::uint32_t* edges;
    } spans{&target, area, originX, baseline, colour_, edges_};
    // Only the contours that reach into the area's rows are walked.
    x11::OutlineStrips strips(outline);
    FT_Outline source =
        strips.Within(static_cast<FT_Pos>(baseline - (area.y + area.height)) * 64,
                      static_cast<FT_Pos>(baseline - area.y) * 64, 0);  // the renderer only reads it
    if (source.n_contours == 0) return;
    FT_Raster_Params params{};
    params.source = &source;
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.user = &spans;
    // The area in the outline's pixels (y up, the pen at the origin).
    params.clip_box.xMin = area.x - originX;
    params.clip_box.xMax = area.x + area.width - originX;
    params.clip_box.yMin = baseline - (area.y + area.height);
    params.clip_box.yMax = baseline - area.y;
    params.gray_spans = [](int y, int count, const FT_Span* span, void* user) {
        const auto& at = *static_cast<const Spans*>(user);
        // Outline row y covers y to y + 1 upwards from the baseline.
        const long row = at.baseline - 1 - y;
        if (row < at.area.y || row >= at.area.y + at.area.height) return;
        std::uint32_t* pixels = at.target->pixels + row * at.target->stride;
        const std::uint32_t solid = 0xFF000000u | at.colour;
        for (; count > 0; --count, ++span) {
            const long x0 = std::max<long>(at.originX + span->x, at.area.x);
            const long x1 = std::min<long>(at.originX + span->x + span->len, at.area.x + at.area.width);
            if (x1 <= x0) continue;
            if (span->coverage == 255) {
                Fill(pixels + x0, solid, x1 - x0);
            } else {
                // Over a transparent pixel (nearly all) the colour at that
                // coverage comes from the table.
                const std::uint32_t edge = at.edges[span->coverage];
                for (long x = x0; x < x1; ++x) {
                    pixels[x] = pixels[x] == 0 ? edge : Over(pixels[x], at.colour, span->coverage);
                }
            }
        }
    };
    FT_Outline_Render(face_->glyph->library, &source, &params);
}

}  // namespace kel::wayland
