// The saver's windowless label: measured with GDI in its font, painted by its
// window in WM_PAINT with a transparent background.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/label.h"
#include "platform/win32/handles.h"

namespace kel::win32 {

class GdiLabel : public Label {
public:
    // `face` in UTF-16; `dpi` of the screen; `changed` is called with the
    // window pixels that need painting again whenever what the label shows
    // changes (the bounds it had and the bounds it has now).
    GdiLabel(std::wstring face, int dpi, std::function<void(const RECT&)> changed);

    void SetCaption(const std::u16string& caption) override;
    std::u16string Caption() const override { return caption_; }
    void SetFontSize(float points) override;
    float FontSize() const override;
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    float Left() const override { return left_; }
    float Top() const override { return top_; }
    float Width() const override;
    float Height() const override;
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetForeColor(std::uint32_t colour) override;

    void Paint(HDC dc) const;
    // The font it measures and paints with (owned by the label).
    HFONT Font() const { return font_.get(); }

private:
    // Runs a change and asks for the pixels it touched to be painted again.
    template <typename Change>
    void Update(Change change);
    RECT PixelBounds() const;
    void Measure();
    float TwipsPerPixel() const { return 1440.0f / static_cast<float>(dpi_); }

    std::wstring face_;
    int dpi_;
    std::function<void(const RECT&)> changed_;
    std::u16string caption_;
    int pixelHeight_ = 0;
    OwnedFont font_;
    float left_ = 0, top_ = 0;
    int extentX_ = 0, extentY_ = 0;
    bool visible_ = false;
    COLORREF colour_ = RGB(0, 0, 0);
};

}  // namespace kel::win32
