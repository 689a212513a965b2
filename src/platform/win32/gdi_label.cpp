#include "platform/win32/gdi_label.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/errors.h"
#include "platform/label_size.h"

namespace kel::win32 {

GdiLabel::GdiLabel(std::wstring face, int dpi, std::function<void(const RECT&)> changed)
    : face_(std::move(face)), dpi_(dpi), changed_(std::move(changed)) {
    SetFontSize(72.0f);
}

template <typename Change>
void GdiLabel::Update(Change change) {
    const bool wasShown = visible_ && !caption_.empty();
    const RECT before = PixelBounds();
    change();
    if (wasShown) changed_(before);
    if (visible_ && !caption_.empty()) changed_(PixelBounds());
}

RECT GdiLabel::PixelBounds() const {
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    // Glyphs may overhang their advance a little (italic-like strokes, wide
    // kana at huge sizes): a margin of a quarter of the height covers that.
    const int margin = extentY_ / 4 + 1;
    return RECT{x - margin, y - margin, x + extentX_ + margin, y + extentY_ + margin};
}

// A size of s points makes a font of round(s x DPI / 72) pixels; the label
// then reports that pixel height back in points, as the font engine renders
// it. Below one pixel no font can be made.
void GdiLabel::SetFontSize(float points) {
    const int height = LabelPixelHeight(points, dpi_);
    if (height == pixelHeight_ && font_) return;
    HFONT font = ::CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, face_.c_str());
    if (font == nullptr) {
        throw KelError(ErrorKind::InvalidValue, "creating a font",
                       "size " + PointsText(points) + " points");
    }
    Update([&] {
        font_.reset(font);
        pixelHeight_ = height;
        Measure();
    });
}

float GdiLabel::FontSize() const {
    return static_cast<float>(pixelHeight_) * 72.0f / static_cast<float>(dpi_);
}

void GdiLabel::SetCaption(const std::u16string& caption) {
    if (caption == caption_) return;
    Update([&] {
        caption_ = caption;
        Measure();
    });
}

void GdiLabel::SetLeft(float twips) {
    Update([&] { left_ = twips; });
}

void GdiLabel::SetTop(float twips) {
    Update([&] { top_ = twips; });
}

float GdiLabel::Width() const { return static_cast<float>(extentX_) * TwipsPerPixel(); }
float GdiLabel::Height() const { return static_cast<float>(extentY_) * TwipsPerPixel(); }

void GdiLabel::SetVisible(bool visible) {
    if (visible == visible_) return;
    Update([&] { visible_ = visible; });
}

void GdiLabel::SetForeColor(std::uint32_t colour) {
    Update([&] { colour_ = static_cast<COLORREF>(colour & 0xFFFFFF); });
}

// The label is one line high even with an empty caption.
void GdiLabel::Measure() {
    ScreenDc screen;
    SelectGuard select(screen.get(), font_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    SIZE size{0, 0};
    const std::wstring text = Wide(caption_);
    if (!text.empty()) {
        ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    extentX_ = size.cx;
    extentY_ = metrics.tmHeight;
}

void GdiLabel::Paint(HDC dc) const {
    if (!visible_ || caption_.empty()) return;
    const std::wstring text = Wide(caption_);
    SelectGuard select(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour_);
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace kel::win32
