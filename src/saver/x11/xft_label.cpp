#include "saver/x11/xft_label.h"

#include <fontconfig/fcfreetype.h>
#include <freetype/ftadvanc.h>
#include <freetype/ftsizes.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "platform/errors.h"
#include "platform/label_size.h"
#include "saver/x11/advances.h"
#include "saver/x11/streamed_face.h"

namespace kel::x11 {

namespace {

// The rendered glyphs an open font keeps in the server. Xft's own limit
// (1 MB a font, 4 MB a display) holds only a few title-card characters,
// each a screen-high bitmap, so a character that comes back on a later card
// was rasterised and sent again: most of the saver's work. The glyphs live
// in the server's memory, not the saver's.
constexpr int kGlyphMemoryPerFont = 16 * 1024 * 1024;
constexpr int kGlyphMemoryPerDisplay = 2 * kGlyphMemoryPerFont;

// Xft keeps up to 16 closed fonts for reuse, each with tables as large as
// the face's glyph count: the fit loops close a font per size, and the
// saver held megabytes of fonts it would not open again. The limits are
// the display's Xft defaults; the others stay as the resources set them.
void KeepNoClosedFonts(Display* display) {
    FcPattern* defaults = FcPatternCreate();
    if (defaults == nullptr) return;
    XftDefaultSubstitute(display, DefaultScreen(display), defaults);
    FcPatternDel(defaults, XFT_MAX_UNREF_FONTS);
    FcPatternAddInteger(defaults, XFT_MAX_UNREF_FONTS, 0);
    FcPatternDel(defaults, XFT_MAX_GLYPH_MEMORY);
    FcPatternAddInteger(defaults, XFT_MAX_GLYPH_MEMORY, kGlyphMemoryPerDisplay);
    if (!XftDefaultSet(display, defaults)) FcPatternDestroy(defaults);
}

// The chosen face at `pixels`, in an XftFont with a size object of its own
// on the shared face, made the face's active size before the font is opened
// and before every use after (XftLabel::Font). Xft sets a face's size only
// when its own record for that font says it differs, so fonts sharing one
// size object would draw at whichever size was set last. *size is nullptr
// where Xft opens the face itself (it then keeps one record per file).
XftFont* OpenSized(Display* display, const FcPattern* matched, double pixels, double dpi,
                   FT_Size* size) {
    *size = nullptr;
    FcPattern* sized = FcPatternDuplicate(matched);
    if (sized == nullptr) return nullptr;
    FcPatternDel(sized, FC_PIXEL_SIZE);
    FcPatternDel(sized, FC_SIZE);
    FcPatternAddDouble(sized, FC_PIXEL_SIZE, pixels);
    FcPatternAddDouble(sized, FC_SIZE, pixels * 72.0 / dpi);
    FcPatternDel(sized, XFT_MAX_GLYPH_MEMORY);
    FcPatternAddInteger(sized, XFT_MAX_GLYPH_MEMORY, kGlyphMemoryPerFont);
    FT_Face face = SharedFace(sized);
    if (face != nullptr) {
        if (FT_New_Size(face, size) != 0) {
            FcPatternDestroy(sized);
            return nullptr;
        }
        FT_Activate_Size(*size);
    }
    XftFont* font = XftFontOpenPattern(display, sized);  // owns `sized` when it succeeds
    if (font == nullptr) {
        FcPatternDestroy(sized);
        if (*size != nullptr) FT_Done_Size(*size);
        *size = nullptr;
    }
    return font;
}

// No closed font is kept for reuse, so the font is gone with the close, and
// its size object with it.
void CloseSized(Display* display, XftFont* font, FT_Size size) {
    XftFontClose(display, font);
    if (size != nullptr) FT_Done_Size(size);
}

const FcChar16* Chars16(const std::u16string& text) {
    return reinterpret_cast<const FcChar16*>(text.data());
}

// The caption's advance read from the font's outlines or metrics: Xft's own
// measuring renders every glyph and sends it to the server, and at each of
// the fit loop's dozen sizes a saying that was most of the saver's work, for
// glyphs never shown. -1 where it cannot be read so.
int OutlineAdvance(Display* display, XftFont* font, const std::u16string& text) {
    const FT_Int32 flags = AdvanceLoadFlags(font->pattern);
    if (flags == 0) return -1;
    FT_Face face = XftLockFace(font);
    if (face == nullptr) return -1;
    const int advance = SumAdvances(face, flags, text,
                                    [&](char16_t unit) { return XftCharIndex(display, font, unit); });
    XftUnlockFace(font);
    return advance;
}

}  // namespace

bool CoversJapanese(Display* display, int screen, const char* facePattern) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(facePattern));
    if (wanted == nullptr) return false;
    FcResult result = FcResultNoMatch;
    FcPattern* matched = XftFontMatch(display, screen, wanted, &result);
    FcPatternDestroy(wanted);
    if (matched == nullptr) return false;
    FcCharSet* charset = nullptr;
    bool covers = FcPatternGetCharSet(matched, FC_CHARSET, 0, &charset) == FcResultMatch;
    for (const FcChar32 c : {0x3042u, 0x30A2u, 0x683Cu, 0x8A00u}) {  // あ ア 格 言
        covers = covers && FcCharSetHasChar(charset, c);
    }
    FcPatternDestroy(matched);
    return covers;
}

XftLabel::XftLabel(Display* display, int screen, double dpi,
                   std::function<void(const PixelRect&)> changed, const char* facePattern)
    : display_(display), screen_(screen), dpi_(dpi), changed_(std::move(changed)) {
    KeepNoClosedFonts(display_);
    // The face is chosen once; every size is that face at another pixel size,
    // so the many sizes of the fit loops cost no new fontconfig match.
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(facePattern));
    if (wanted != nullptr) {
        FcResult result = FcResultNoMatch;
        matched_ = XftFontMatch(display_, screen_, wanted, &result);
        FcPatternDestroy(wanted);
        if (matched_ != nullptr) UseStreamedFace(matched_);
    }
    if (matched_ != nullptr) {
        measureFace_ = SharedFace(matched_);
        measureFlags_ = AdvanceLoadFlags(matched_);
        measurable_ = measureFace_ != nullptr && measureFlags_ != 0 &&
                      FcPatternGetCharSet(matched_, FC_CHARSET, 0, &measureCharset_) == FcResultMatch &&
                      KeepsDesignAdvance(measureFace_, measureFlags_) && measureFace_->num_fixed_sizes == 0;
    }
    if (matched_ == nullptr) {
        throw KelError(ErrorKind::ResourceMissing, "finding a font for the sayings",
                       std::string("fontconfig pattern ") + facePattern);
    }
    SetFontSize(72.0f);
}

XftLabel::~XftLabel() {
    if (font_ != nullptr) CloseSized(display_, font_, fontSize_);
    if (kept_ != nullptr) CloseSized(display_, kept_, keptSize_);
    if (measureSize_ != nullptr) FT_Done_Size(measureSize_);
    if (matched_ != nullptr) FcPatternDestroy(matched_);
}

template <typename Change>
void XftLabel::Update(Change change) {
    const bool wasShown = visible_ && !caption_.empty();
    const PixelRect before = wasShown ? PixelBounds() : PixelRect{};
    change();
    if (wasShown) changed_(before);
    if (visible_ && !caption_.empty()) changed_(PixelBounds());
}

// s points make a font of round(s x DPI / 72) pixels, as on Windows; the
// label then reports the pixel size the opened font has, back in points.
// The font is opened when first needed: a label that is never measured or
// shown (Label2) never holds one.
void XftLabel::SetFontSize(float points) {
    const int height = LabelPixelHeight(points, dpi_);
    if (height == pixelHeight_) return;
    Update([&] {
        pixelHeight_ = height;
        fontStale_ = true;
        widthPixels_ = -1;
    });
}

XftFont* XftLabel::Font() const {
    if (!fontStale_) {
        if (fontSize_ != nullptr) FT_Activate_Size(fontSize_);
        return font_;
    }
    // The title card and the saying take turns each tick: the last font
    // that was drawn stays open beside the current one, with the glyphs
    // already rendered in it.
    if (kept_ != nullptr && keptHeight_ == pixelHeight_) {
        std::swap(font_, kept_);
        std::swap(fontSize_, keptSize_);
        std::swap(fontShown_, keptShown_);
        keptHeight_ = fontHeight_;
        fontHeight_ = pixelHeight_;
        if (!keptShown_ && kept_ != nullptr) {
            CloseSized(display_, kept_, keptSize_);
            kept_ = nullptr;
            keptSize_ = nullptr;
        }
        fontStale_ = false;
        if (fontSize_ != nullptr) FT_Activate_Size(fontSize_);
        return font_;
    }
    const double pixels = pixelHeight_;
    FT_Size size = nullptr;
    XftFont* font = OpenSized(display_, matched_, pixels, dpi_, &size);
    if (font == nullptr) {
        throw KelError(ErrorKind::InvalidValue, "opening a font",
                       "size " + PointsText(static_cast<float>(pixels * 72.0 / dpi_)) + " points");
    }
    if (font_ != nullptr && fontShown_) {
        if (kept_ != nullptr) CloseSized(display_, kept_, keptSize_);
        kept_ = font_;
        keptSize_ = fontSize_;
        keptHeight_ = fontHeight_;
        keptShown_ = true;
    } else if (font_ != nullptr) {
        CloseSized(display_, font_, fontSize_);
    }
    font_ = font;
    fontSize_ = size;
    fontHeight_ = pixelHeight_;
    fontShown_ = false;
    fontStale_ = false;
    return font_;
}

// Where the advances need no outline, the width at a size is read without
// opening a font there: on a size object of the label's own on the shared
// face, so the fit loop opens one font per saying, not one per step. -1
// where that cannot be done (another face, hinting that moves advances,
// fixed sizes).
int XftLabel::UnopenedWidth() const {
    if (!measurable_) return -1;
    // A title card's character is measured once per size: the card centres
    // every character, and most come back.
    const bool single = caption_.size() == 1;
    const std::uint64_t key = (static_cast<std::uint64_t>(pixelHeight_) << 16) | caption_[0];
    if (single) {
        const auto known = singleAdvances_.find(key);
        if (known != singleAdvances_.end()) return known->second;
    }
    if (measureSize_ == nullptr && FT_New_Size(measureFace_, &measureSize_) != 0) {
        measurable_ = false;
        return -1;
    }
    // Every font's user makes its own size active again (Font()).
    FT_Activate_Size(measureSize_);
    if (measuredPixels_ != pixelHeight_) {
        // Sized as Xft sizes its fonts: the pixel size in both directions.
        const FT_F26Dot6 size = static_cast<FT_F26Dot6>(pixelHeight_) * 64;
        measuredPixels_ = FT_Set_Char_Size(measureFace_, size, size, 0, 0) == 0 ? pixelHeight_ : 0;
        if (measuredPixels_ == 0) return -1;
    }
    const int advance = SumAdvances(measureFace_, measureFlags_, caption_, [&](char16_t unit) -> FT_UInt {
        return FcCharSetHasChar(measureCharset_, unit) ? FcFreeTypeCharIndex(measureFace_, unit) : 0;
    });
    if (single && advance >= 0) {
        if (singleAdvances_.size() >= 4096) singleAdvances_.clear();
        singleAdvances_.emplace(key, advance);
    }
    return advance;
}

void XftLabel::SetCaption(const std::u16string& caption) {
    if (caption == caption_) return;
    Update([&] {
        caption_ = caption;
        widthPixels_ = -1;
    });
}

void XftLabel::SetLeft(float twips) {
    Update([&] { left_ = twips; });
}

void XftLabel::SetTop(float twips) {
    Update([&] { top_ = twips; });
}

void XftLabel::SetVisible(bool visible) {
    if (visible == visible_) return;
    Update([&] { visible_ = visible; });
}

void XftLabel::SetForeColor(std::uint32_t colour) {
    Update([&] {
        colour_.red = static_cast<unsigned short>((colour & 0xFF) * 0x101);
        colour_.green = static_cast<unsigned short>(((colour >> 8) & 0xFF) * 0x101);
        colour_.blue = static_cast<unsigned short>(((colour >> 16) & 0xFF) * 0x101);
        colour_.alpha = 0xFFFF;
    });
}

// The advance of the caption, like GetTextExtentPoint32: measured only when
// asked for, since the height fit changes the size a hundred times and looks
// at the height alone.
int XftLabel::WidthPixels() const {
    if (widthPixels_ < 0) {
        XGlyphInfo extents{};
        int width = caption_.empty() ? 0 : UnopenedWidth();
        if (width < 0) width = OutlineAdvance(display_, Font(), caption_);
        if (width < 0) {
            XftTextExtents16(display_, Font(), Chars16(caption_), static_cast<int>(caption_.size()),
                             &extents);
            width = extents.xOff;
        }
        widthPixels_ = width;
    }
    return widthPixels_;
}

float XftLabel::Width() const { return static_cast<float>(WidthPixels()) * TwipsPerPixel(); }

// One line of the font, ascent and descent, even with an empty caption.
float XftLabel::Height() const {
    return static_cast<float>(Font()->ascent + Font()->descent) * TwipsPerPixel();
}

PixelRect XftLabel::PixelBounds() const {
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    const int height = Font()->ascent + Font()->descent;
    const int margin = height / 4 + 1;
    return PixelRect{x - margin, y - margin, WidthPixels() + 2 * margin, height + 2 * margin};
}

// Smaller glyphs are cheap to render and Xft keeps them in the server.
bool XftLabel::PaintCard(XftDraw* draw, const XftColor& colour, XftFont* font, int x, int baseline) const {
    if (caption_.size() != 1 || pixelHeight_ < kCardPixels) return false;
    // Every size is the match at another pixel size: its flags are the match's.
    const FT_Int32 flags = measureFlags_;
    const FT_UInt index = XftCharIndex(display_, font, caption_[0]);
    if (flags == 0 || index == 0) return false;
    if (cards_ == nullptr) cards_ = std::make_unique<CardGlyphs>(display_);
    const Picture source = XftDrawSrcPicture(draw, &colour);
    const Picture target = XftDrawPicture(draw);
    FT_Face face = XftLockFace(font);
    const bool drawn = cards_->Draw(face, index, (flags | FT_LOAD_NO_HINTING) & ~FT_LOAD_FORCE_AUTOHINT,
                                    pixelHeight_, source, target, x, baseline);
    if (face != nullptr) XftUnlockFace(font);
    return drawn;
}

void XftLabel::Paint(XftDraw* draw, int offsetX, int offsetY) const {
    if (!visible_ || caption_.empty()) return;
    XftColor colour;
    if (!XftColorAllocValue(display_, XftDrawVisual(draw), XftDrawColormap(draw), &colour_, &colour)) {
        return;
    }
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    XftFont* font = Font();
    fontShown_ = true;
    if (!PaintCard(draw, colour, font, offsetX + x, offsetY + y + font->ascent)) {
        XftDrawString16(draw, &colour, font, offsetX + x, offsetY + y + font->ascent, Chars16(caption_),
                        static_cast<int>(caption_.size()));
    }
    XftColorFree(display_, XftDrawVisual(draw), XftDrawColormap(draw), &colour);
}

}  // namespace kel::x11
