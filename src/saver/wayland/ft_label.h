// The saver's windowless label drawn by the program itself: measured and
// rendered with FreeType in the face that fontconfig picks for Japanese
// text, into 32-bit pixels in memory. A size in points becomes a whole
// number of pixels through the output's DPI (96 times its scale), and the
// label reports back the size its font has, as the other labels do.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/label.h"
#include "platform/pixel_rect.h"

namespace kel::wayland {

using kel::PixelRect;

// 32-bit pixels, 0xAARRGGBB premultiplied, `stride` pixels a row.
struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// The face a label asks fontconfig for: a Japanese gothic, whichever of
// these is installed, else any face that covers Japanese.
inline constexpr char kLabelFacePattern[] = "IPAGothic,Noto Sans CJK JP,sans:lang=ja";

class FreeTypeLabel : public Label {
public:
    // `changed` is called with the pixels that need painting again whenever
    // what the label shows changes. Throws KelError when fontconfig finds no
    // face that FreeType can open.
    FreeTypeLabel(double dpi, std::function<void(const PixelRect&)> changed,
                  const char* facePattern = kLabelFacePattern);
    ~FreeTypeLabel() override;
    FreeTypeLabel(const FreeTypeLabel&) = delete;
    FreeTypeLabel& operator=(const FreeTypeLabel&) = delete;

    void SetCaption(const std::u16string& caption) override;
    std::u16string Caption() const override { return caption_; }
    void SetFontSize(float points) override;
    float FontSize() const override { return static_cast<float>(pixelHeight_ * 72.0 / dpi_); }
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    float Left() const override { return left_; }
    float Top() const override { return top_; }
    float Width() const override;
    float Height() const override;
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetForeColor(std::uint32_t colour) override;
    // The output's scale changed: the size in points becomes pixels anew.
    void SetDpi(double dpi);

    // What Paint draws, to tell whether a change changed anything: all
    // alike (empty) while nothing is shown.
    struct Look {
        std::u16string caption;
        int pixels = 0, x = 0, y = 0;
        std::uint32_t colour = 0;
        bool operator==(const Look& other) const {
            return caption == other.caption && pixels == other.pixels && x == other.x && y == other.y &&
                   colour == other.colour;
        }
    };
    Look Shown() const;

    // Draws the caption (when shown) with its top-left corner at the label's
    // position plus (offsetX, offsetY) pixels, only inside `clip`, over what
    // is there (transparent or opaque).
    void Paint(const PixelBuffer& target, const PixelRect& clip, int offsetX, int offsetY) const;
    // Where Paint draws, with a margin for glyphs that overhang their advance.
    PixelRect PixelBounds() const;
    // Where Paint puts ink, to the pixel; empty when nothing is shown.
    PixelRect InkBounds() const;

private:
    // A size object of the shared face at one pixel size. Each label keeps
    // its own two (the title card's and the saying's take turns), and
    // activates the one it means before every use of the face.
    struct Sized {
        FT_Size size = nullptr;
        int pixels = 0;
        int ascent = 0, descent = 0;
    };
    // A glyph of the caption as drawn: its outline (hinted as the match says,
    // a title card's character unhinted), and where that
    // puts ink from the pen on the baseline (y down).
    struct Glyph {
        FT_Glyph outline = nullptr;  // none: no ink
        long penX = 0;               // from the label's left edge
        PixelRect ink;
    };
    template <typename Change>
    void Update(Change change);
    // The caption's glyphs at the current size, loaded once for both the
    // ink's bounds and the drawing.
    const std::vector<Glyph>& Glyphs() const;
    void DropGlyphs() const;
    void PrepareEdges() const;
    float TwipsPerPixel() const { return static_cast<float>(1440.0 / dpi_); }
    const Sized& Use() const;
    int WidthPixels() const;
    void RenderOutline(const FT_Outline& outline, const PixelBuffer& target, const PixelRect& area,
                       long originX, long baseline) const;
    int X() const;
    int Y() const;

    double dpi_;
    std::function<void(const PixelRect&)> changed_;
    FT_Face face_ = nullptr;
    FT_Int32 loadFlags_ = 0;
    mutable Sized sized_[2];
    mutable int lastUsed_ = 0;
    int pixelHeight_ = 0;
    float points_ = 0;  // as set
    std::u16string caption_;
    mutable int widthPixels_ = -1;  // measured when first asked for
    float left_ = 0, top_ = 0;
    bool visible_ = false;
    std::uint32_t colour_ = 0;  // 0x00RRGGBB
    mutable std::vector<Glyph> glyphs_;
    mutable bool glyphsKnown_ = false;
    // The colour at each coverage over a transparent pixel, premultiplied.
    mutable std::uint32_t edges_[256] = {};
    mutable std::uint32_t edgesColour_ = 0xFFFFFFFFu;  // none yet
};

}  // namespace kel::wayland
