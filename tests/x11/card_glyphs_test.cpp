// What we test: a title-card character drawn from a shared-memory mask is
// the very picture Xft draws for it unhinted (as the label draws cards),
// pixel for pixel, on the first draw, on
// the second and third (from the mask kept in the server), at a size that
// makes the segment grow, and after the kept masks were turned over.
#include <gtest/gtest.h>

#include <X11/Xft/Xft.h>

#include <string>
#include <vector>

#include "saver/x11/advances.h"
#include "saver/x11/card_glyphs.h"
#include "saver/x11/xft_label.h"

namespace {

using kel::x11::CardGlyphs;

Display* const display = XOpenDisplay(nullptr);
constexpr int kSide = 700;

struct Canvas {
    Pixmap pixmap;
    XftDraw* draw;
    Canvas() {
        const int screen = DefaultScreen(display);
        pixmap = XCreatePixmap(display, RootWindow(display, screen), kSide, kSide,
                               static_cast<unsigned>(DefaultDepth(display, screen)));
        draw = XftDrawCreate(display, pixmap, DefaultVisual(display, screen),
                             DefaultColormap(display, screen));
    }
    ~Canvas() {
        XftDrawDestroy(draw);
        XFreePixmap(display, pixmap);
    }
    void Clear(const XftColor& background) { XftDrawRect(draw, &background, 0, 0, kSide, kSide); }
    std::vector<unsigned long> Pixels() const {
        XImage* image = XGetImage(display, pixmap, 0, 0, kSide, kSide, AllPlanes, ZPixmap);
        std::vector<unsigned long> pixels;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) pixels.push_back(XGetPixel(image, x, y));
        }
        XDestroyImage(image);
        return pixels;
    }
};

XftFont* OpenAt(int pixels) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(kel::x11::kLabelFacePattern));
    FcPatternAddDouble(wanted, FC_PIXEL_SIZE, pixels);
    FcPatternAddBool(wanted, FC_HINTING, FcFalse);
    FcResult result;
    FcPattern* matched = XftFontMatch(display, DefaultScreen(display), wanted, &result);
    FcPatternDestroy(wanted);
    return matched == nullptr ? nullptr : XftFontOpenPattern(display, matched);
}

XftColor Colour(unsigned short r, unsigned short g, unsigned short b) {
    const int screen = DefaultScreen(display);
    const XRenderColor value{r, g, b, 0xFFFF};
    XftColor colour;
    XftColorAllocValue(display, DefaultVisual(display, screen), DefaultColormap(display, screen), &value,
                       &colour);
    return colour;
}

long DifferingPixels(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b) {
    long differ = 0;
    for (std::size_t i = 0; i < a.size(); ++i) differ += a[i] != b[i];
    return differ;
}

// Draws `unit` both ways and says how many pixels differ (-1: the card way
// refused it) and how many the glyph covered at all.
struct Comparison { long differing; long inked; };
Comparison Compare(CardGlyphs& cards, XftFont* font, char16_t unit, int pixels) {
    const XftColor background = Colour(0x3000, 0, 0), ink = Colour(0xFFFF, 0xFFFF, 0xFFFF);
    Canvas byXft, byCard;
    byXft.Clear(background);
    byCard.Clear(background);
    const std::vector<unsigned long> empty = byXft.Pixels();
    const int x = 37, baseline = 31 + font->ascent;  // odd places: the box's rounding shows
    const FcChar16 text = unit;
    XftDrawString16(byXft.draw, &ink, font, x, baseline, &text, 1);
    const FT_Int32 flags = kel::x11::AdvanceLoadFlags(font->pattern);
    const FT_UInt index = XftCharIndex(display, font, unit);
    FT_Face face = XftLockFace(font);
    const bool drawn = cards.Draw(face, index, flags, pixels, XftDrawSrcPicture(byCard.draw, &ink),
                                  XftDrawPicture(byCard.draw), x, baseline);
    XftUnlockFace(font);
    if (!drawn) return {-1, 0};
    const std::vector<unsigned long> xft = byXft.Pixels();
    return {DifferingPixels(xft, byCard.Pixels()), DifferingPixels(xft, empty)};
}

TEST(CardGlyphs, DrawExactlyWhatXftDraws) {
    ASSERT_NE(display, nullptr) << "no X display (run under Xvfb)";
    CardGlyphs cards(display);
    // Growing sizes: the segment is made for the first and made anew larger.
    for (const int pixels : {64, 233, 600}) {
        XftFont* font = OpenAt(pixels);
        ASSERT_NE(font, nullptr);
        for (const char16_t unit : {u'\u3042', u'\u683C', u'\uFF01', u'\uFF5E', u'W', u'\u30DD'}) {
            for (int time = 1; time <= 3; ++time) {
                const Comparison c = Compare(cards, font, unit, pixels);
                EXPECT_EQ(c.differing, 0) << "U+" << std::hex << int(unit) << std::dec << " at " << pixels
                                          << " px, draw " << time;
                EXPECT_GT(c.inked, pixels) << "the glyph drew next to nothing";
            }
        }
        XftFontClose(display, font);
    }
}

// More screen-high masks than the server may keep: the oldest go, and one
// of them drawn again is rendered anew, still right.
TEST(CardGlyphs, MasksTurnedOverAreRenderedAgain) {
    ASSERT_NE(display, nullptr) << "no X display (run under Xvfb)";
    CardGlyphs cards(display);
    XftFont* font = OpenAt(600);
    ASSERT_NE(font, nullptr);
    const std::u16string first = u"\u683C\u8A00";
    for (const char16_t unit : first) ASSERT_EQ(Compare(cards, font, unit, 600).differing, 0);
    // Kanji in a run from U+4E00: each a mask of its own, a few hundred kB.
    const XftColor ink = Colour(0xFFFF, 0xFFFF, 0xFFFF);
    Canvas scratch;
    long drawn = 0;
    for (char16_t unit = u'\u4E00'; unit < u'\u4E00' + 100; ++unit) {
        const FT_UInt index = XftCharIndex(display, font, unit);
        FT_Face face = XftLockFace(font);
        drawn += cards.Draw(face, index, kel::x11::AdvanceLoadFlags(font->pattern), 600,
                            XftDrawSrcPicture(scratch.draw, &ink), XftDrawPicture(scratch.draw), 40,
                            40 + font->ascent);
        XftUnlockFace(font);
    }
    EXPECT_EQ(drawn, 100);
    for (const char16_t unit : first) EXPECT_EQ(Compare(cards, font, unit, 600).differing, 0);
    XftFontClose(display, font);
}

}  // namespace
