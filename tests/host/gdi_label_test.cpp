// What we test: GdiLabel against the real font engine.
//  - A size of s points makes a font of round(s x DPI / 72) pixels and is
//    reported back as that pixel height in points; the height is the font's
//    cell height; the width is the caption's extent and follows caption and
//    size; a size no font can be made for is refused and the old one kept.
//  - Thousands of size changes leave one font alive and, where the system
//    reports it, the process's GDI object count flat.
#include "check.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/gdi_label.h"

namespace kel::win32 {
namespace {

const wchar_t kFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // ＭＳ Ｐゴシック

GdiLabel MakeLabel(int dpi) {
    return GdiLabel(kFace, dpi, [](const RECT&) {});
}

// The cell height (ascent + descent) of the font the label makes, measured
// here on its own.
int CellHeight(int pixels) {
    HFONT font = ::CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, kFace);
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return metrics.tmHeight;
}

TEST(GdiLabel, SizeIsWholePixelsReportedInPointsHeightIsTheCell) {
    const struct {
        float points;
        int dpi;
        int pixels;
    } cases[] = {
        {72, 96, 96}, {69, 96, 92}, {10, 96, 13}, {700, 96, 933}, {0.5f, 96, 1},
        {9, 120, 15}, {72, 144, 144},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.points) + " pt at " + std::to_string(c.dpi) + " dpi");
        GdiLabel label = MakeLabel(c.dpi);
        label.SetCaption(u"\x3042");  // あ
        label.SetFontSize(c.points);
        EXPECT_FLOAT_EQ(label.FontSize(), c.pixels * 72.0f / c.dpi);
        const float twipsPerPixel = 1440.0f / c.dpi;
        EXPECT_FLOAT_EQ(label.Height(), CellHeight(c.pixels) * twipsPerPixel);
        EXPECT_GE(label.Height(), c.pixels * twipsPerPixel) << "a cell is at least the em";
    }
}

TEST(GdiLabel, WidthFollowsCaptionAndSize) {
    GdiLabel label = MakeLabel(96);
    label.SetFontSize(36);
    const float height = label.Height();
    EXPECT_EQ(label.Width(), 0.0f) << "an empty caption";
    EXPECT_EQ(height, label.Height()) << "is still one line high";

    label.SetCaption(u"\x3042");  // あ
    const float one = label.Width();
    EXPECT_GT(one, 0.0f);
    label.SetCaption(u"\x3042\x3042\x3042\x3042");
    EXPECT_NEAR(label.Width(), 4 * one, 4 * 15.0f);
    label.SetCaption(u"a");
    EXPECT_LT(label.Width(), one) << "a half-width letter is narrower";
    EXPECT_EQ(label.Height(), height);

    label.SetCaption(u"\x3042\x3042\x3042\x3042");
    const float at36 = label.Width();
    label.SetFontSize(72);
    EXPECT_NEAR(label.Width(), 2 * at36, 4 * 15.0f) << "measured again at the new size";
}

TEST(GdiLabel, SizeWithoutAFontIsRefusedAndTheOldOneKept) {
    GdiLabel label = MakeLabel(96);
    label.SetCaption(u"\x3042");
    label.SetFontSize(24);
    const float width = label.Width();
    for (float points : {0.3f, 0.0f, -3.0f, 30000.0f}) {
        SCOPED_TRACE(points);
        try {
            label.SetFontSize(points);
            ADD_FAILURE() << "accepted";
        } catch (const KelError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::InvalidValue);
        }
        EXPECT_FLOAT_EQ(label.FontSize(), 24.0f);
        EXPECT_EQ(label.Width(), width);
    }
}

// Each size change makes a font and must delete the one before. Every font
// the label ever held is looked up again at the end: only its current one
// may still exist. GetGuiResources gives the process's GDI object count on
// Windows; Wine answers 0, and the look-up stands for it there.
TEST(GdiLabel, ThousandsOfChangesLeakNoFont) {
    GdiLabel label = MakeLabel(96);
    const float sizes[] = {72, 69, 66, 63, 60};
    const std::u16string captions[] = {u"\x683C\x8A00", u"\x8FF7\x8A00\x3067\x3059", u"*"};
    std::vector<HFONT> fonts;
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 3000; ++i) {
        label.SetFontSize(sizes[i % 5]);
        label.SetCaption(captions[i % 3]);
        label.SetVisible(i % 2 == 0);
        if (fonts.empty() || fonts.back() != label.Font()) fonts.push_back(label.Font());
    }
    const DWORD gdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(fonts.size(), 3000u) << "a font per size change";
    // Handle values come round again (Wine's wrap after 254 reuses of a
    // slot): distinct values are counted.
    std::set<HFONT> alive;
    for (HFONT font : fonts) {
        if (::GetObjectType(font) == OBJ_FONT) alive.insert(font);
    }
    EXPECT_EQ(alive.size(), 1u) << "fonts still alive out of " << fonts.size();
    if (gdiBefore == 0) {
        std::printf("  note: GetGuiResources reports no GDI objects here\n");
    } else {
        EXPECT_LE(gdiAfter, gdiBefore + 5) << "GDI objects " << gdiBefore << " -> " << gdiAfter;
    }
}

}  // namespace
}  // namespace kel::win32
