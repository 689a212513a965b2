// What we test: the FreeType label's ink box holds every pixel it paints,
// a label that has shown other captions and sizes paints a caption exactly
// as a new label does (nothing kept from what it showed before), and paints
// it the same strip by strip, as the host paints, as in one go; and that a
// title card's characters, one after another, are FreeType's own unhinted
// rendering of the glyph, as the X11 host draws them.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/wayland/ft_label.h"

namespace {

using kel::PixelRect;
using kel::wayland::FreeTypeLabel;
using kel::wayland::PixelBuffer;

struct Case { std::u16string caption; float points; float left, top; };

// The caption painted on a 1024 x 768 transparent screen, 15 twips a pixel.
std::vector<std::uint32_t> Show(FreeTypeLabel& label, const Case& c) {
    label.SetVisible(false);
    label.SetFontSize(c.points);
    label.SetCaption(c.caption);
    label.SetLeft(c.left * 15);
    label.SetTop(c.top * 15);
    label.SetForeColor(0xFFFFFF);
    label.SetVisible(true);
    std::vector<std::uint32_t> pixels(1024 * 768);
    label.Paint(PixelBuffer{pixels.data(), 1024, 768, 1024}, PixelRect{0, 0, 1024, 768}, 0, 0);
    return pixels;
}

TEST(FreeTypeLabelTest, InkBoxHoldsThePaintAndNothingOfEarlierCaptionsRemains) {
    FreeTypeLabel shown(96, [](const PixelRect&) {});
    for (const Case& c : {Case{u"\u51fa", 574.5f, 130, 0}, Case{u"\u3057", 574.5f, 150, 2},
                          Case{u"\uff01", 574.5f, 140, 0}, Case{u"\u3042\u304b\u3093\uff01", 40.5f, 400, 360},
                          Case{u"\u51fa", 300, -100, 500}}) {
        const std::vector<std::uint32_t> pixels = Show(shown, c);
        const PixelRect ink = shown.InkBounds();
        int outside = 0, inked = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                if (pixels[y * 1024 + x] == 0) continue;
                ++inked;
                if (x < ink.x || x >= ink.x + ink.width || y < ink.y || y >= ink.y + ink.height) ++outside;
            }
        }
        EXPECT_GT(inked, 0) << c.points;
        EXPECT_EQ(outside, 0) << "pixels outside the ink box at " << c.points << " pt";
        FreeTypeLabel fresh(96, [](const PixelRect&) {});
        EXPECT_TRUE(Show(fresh, c) == pixels) << "differs from a new label at " << c.points << " pt";
        std::vector<std::uint32_t> strips(1024 * 768);
        for (int row = 0; row < 768; row += 96) {
            shown.Paint(PixelBuffer{strips.data(), 1024, 768, 1024}, PixelRect{0, row, 1024, 96}, 0, 0);
        }
        EXPECT_TRUE(strips == pixels) << "strips differ from one paint at " << c.points << " pt";
    }
}

// The face the label finds, opened on its own.
FT_Face OpenLabelFace(FT_Library library) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(kel::wayland::kLabelFacePattern));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result;
    FcPattern* matched = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    FcChar8* file = nullptr;
    int index = 0;
    FT_Face face = nullptr;
    if (matched != nullptr && FcPatternGetString(matched, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(matched, FC_INDEX, 0, &index);
        if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0) face = nullptr;
    }
    if (matched != nullptr) FcPatternDestroy(matched);
    return face;
}

TEST(FreeTypeLabelTest, TitleCardCharactersAreTheUnhintedGlyphOneAfterAnother) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = OpenLabelFace(library);
    ASSERT_NE(face, nullptr);
    constexpr int kPixels = 766;  // 574.5 points at 96 DPI
    ASSERT_EQ(FT_Set_Char_Size(face, kPixels * 64, kPixels * 64, 72, 72), 0);
    const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    FreeTypeLabel card(96, [](const PixelRect&) {});
    for (const char16_t character : {u'\u51fa', u'\u3057', u'\u9053'}) {  // 出 し 道
        const std::vector<std::uint32_t> pixels = Show(card, Case{std::u16string(1, character), 574.5f, 130, 0});
        ASSERT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
        ASSERT_EQ(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL), 0);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const int left = 130 + face->glyph->bitmap_left, top = ascent - face->glyph->bitmap_top;
        int differ = 0, inked = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                const int bx = x - left, by = y - top;
                const bool inside = bx >= 0 && by >= 0 && bx < static_cast<int>(bitmap.width) &&
                                    by < static_cast<int>(bitmap.rows);
                const unsigned expected = inside ? bitmap.buffer[by * bitmap.pitch + bx] : 0;
                inked += expected != 0;
                differ += (pixels[y * 1024 + x] >> 24) != expected;
            }
        }
        EXPECT_GT(inked, 1000) << "U+" << std::hex << static_cast<int>(character);
        EXPECT_EQ(differ, 0) << "pixels unlike the unhinted glyph for U+" << std::hex << static_cast<int>(character);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

}  // namespace
