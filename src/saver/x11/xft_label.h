// The saver's windowless label on X11: measured and drawn with Xft in a face
// that fontconfig picks for Japanese text. Like the GDI label, a size in
// points becomes a whole number of pixels through the screen's DPI, and the
// label reports back the size its font has.
#pragma once

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <functional>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/label.h"
#include "platform/pixel_rect.h"
#include "saver/x11/card_glyphs.h"

namespace kel::x11 {

using kel::PixelRect;

// The face a label asks fontconfig for: a Japanese gothic, whichever of
// these is installed, else any face that covers Japanese.
inline constexpr char kLabelFacePattern[] = "IPAGothic,Noto Sans CJK JP,sans:lang=ja";

// Whether the face a label gets covers Japanese (kana and common kanji).
bool CoversJapanese(Display* display, int screen, const char* facePattern = kLabelFacePattern);

class XftLabel : public Label {
public:
    // `dpi` of the screen; `changed` is called with the window pixels that
    // need painting again whenever what the label shows changes. Throws
    // KelError when fontconfig finds no face at all.
    XftLabel(Display* display, int screen, double dpi, std::function<void(const PixelRect&)> changed,
             const char* facePattern = kLabelFacePattern);
    ~XftLabel() override;
    XftLabel(const XftLabel&) = delete;
    XftLabel& operator=(const XftLabel&) = delete;

    void SetCaption(const std::u16string& caption) override;
    std::u16string Caption() const override { return caption_; }
    void SetFontSize(float points) override;
    // Xft keeps a font's pixel size as asked, so this is the size the font
    // at it has, opened or not.
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

    // Draws the caption (when shown) with its top-left corner at the label's
    // position plus (offsetX, offsetY) window pixels.
    void Paint(XftDraw* draw, int offsetX, int offsetY) const;
    // Where Paint draws, with a margin for glyphs that overhang their advance.
    PixelRect PixelBounds() const;

private:
    template <typename Change>
    void Update(Change change);
    float TwipsPerPixel() const { return static_cast<float>(1440.0 / dpi_); }
    int WidthPixels() const;
    int UnopenedWidth() const;
    // The font at the size last set, opened now if it is not yet, its size
    // object made the shared face's active one: every use of a font goes
    // through here, so no size set for one font is ever drawn with another.
    XftFont* Font() const;
    // A lone large character (a title card) drawn through CardGlyphs; false
    // where it is left to Xft.
    bool PaintCard(XftDraw* draw, const XftColor& colour, XftFont* font, int x, int baseline) const;

    Display* display_;
    int screen_;
    double dpi_;
    std::function<void(const PixelRect&)> changed_;
    FcPattern* matched_ = nullptr;  // the chosen face, sized anew per font
    mutable XftFont* font_ = nullptr;
    mutable FT_Size fontSize_ = nullptr;  // font_'s own size object on the shared face
    mutable bool fontStale_ = false;  // pixelHeight_ changed since font_ was opened
    mutable int fontHeight_ = 0;      // font_'s pixel size
    mutable bool fontShown_ = false;  // font_ has drawn
    mutable XftFont* kept_ = nullptr;  // the font drawn before font_, still open
    mutable FT_Size keptSize_ = nullptr;
    mutable int keptHeight_ = 0;
    mutable bool keptShown_ = false;
    int pixelHeight_ = 0;
    // UnopenedWidth's face, flags and coverage, read once from the match;
    // its size object and the pixel size it is set to.
    mutable bool measurable_ = false;
    FT_Face measureFace_ = nullptr;
    FT_Int32 measureFlags_ = 0;
    FcCharSet* measureCharset_ = nullptr;  // the match's
    mutable FT_Size measureSize_ = nullptr;
    mutable int measuredPixels_ = 0;
    mutable std::unordered_map<std::uint64_t, int> singleAdvances_;  // by pixel size and character
    std::u16string caption_;
    mutable int widthPixels_ = -1;  // measured when first asked for
    float left_ = 0, top_ = 0;
    bool visible_ = false;
    XRenderColor colour_{0, 0, 0, 0xFFFF};
    mutable std::unique_ptr<CardGlyphs> cards_;  // made at the first card
};

}  // namespace kel::x11
