#include "saver/x11/xft_label.h"

#include <cmath>
#include <string>

#include "platform/errors.h"

namespace kel::x11 {

namespace {

std::string PointsText(float points) {
    if (std::isnan(points)) return "NaN";
    const long hundredths = std::lround(static_cast<double>(points) * 100.0);
    const long whole = std::labs(hundredths) / 100, part = std::labs(hundredths) % 100;
    return std::string(hundredths < 0 ? "-" : "") + std::to_string(whole) + (part < 10 ? ".0" : ".") +
           std::to_string(part);
}

const FcChar16* Chars16(const std::u16string& text) {
    return reinterpret_cast<const FcChar16*>(text.data());
}

}  // namespace

XftLabel::XftLabel(Display* display, int screen, double dpi,
                   std::function<void(const PixelRect&)> changed, const char* facePattern)
    : display_(display), screen_(screen), dpi_(dpi), changed_(std::move(changed)) {
    // The face is chosen once; every size is that face at another pixel size,
    // so the many sizes of the fit loops cost no new fontconfig match.
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(facePattern));
    if (wanted != nullptr) {
        FcResult result = FcResultNoMatch;
        matched_ = XftFontMatch(display_, screen_, wanted, &result);
        FcPatternDestroy(wanted);
    }
    if (matched_ == nullptr) {
        throw KelError(ErrorKind::ResourceMissing, "finding a font for the sayings",
                       std::string("fontconfig pattern ") + facePattern);
    }
    SetFontSize(72.0f);
}

XftLabel::~XftLabel() {
    if (font_ != nullptr) XftFontClose(display_, font_);
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
void XftLabel::SetFontSize(float points) {
    const double pixels = std::floor(static_cast<double>(points) * dpi_ / 72.0 + 0.5);
    if (!(pixels >= 1.0) || pixels > 32767.0) {
        throw KelError(ErrorKind::InvalidValue, "setting the font size",
                       "size " + PointsText(points) + " points");
    }
    const int height = static_cast<int>(pixels);
    if (height == pixelHeight_ && font_ != nullptr) return;

    FcPattern* sized = FcPatternDuplicate(matched_);
    XftFont* font = nullptr;
    if (sized != nullptr) {
        FcPatternDel(sized, FC_PIXEL_SIZE);
        FcPatternDel(sized, FC_SIZE);
        FcPatternAddDouble(sized, FC_PIXEL_SIZE, pixels);
        FcPatternAddDouble(sized, FC_SIZE, pixels * 72.0 / dpi_);
        font = XftFontOpenPattern(display_, sized);  // owns `sized` when it succeeds
        if (font == nullptr) FcPatternDestroy(sized);
    }
    if (font == nullptr) {
        throw KelError(ErrorKind::InvalidValue, "opening a font",
                       "size " + PointsText(points) + " points");
    }
    double actualPixels = pixels;
    FcPatternGetDouble(font->pattern, FC_PIXEL_SIZE, 0, &actualPixels);
    Update([&] {
        if (font_ != nullptr) XftFontClose(display_, font_);
        font_ = font;
        pixelHeight_ = height;
        points_ = static_cast<float>(actualPixels * 72.0 / dpi_);
        widthPixels_ = -1;
    });
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
        if (!caption_.empty()) {
            XftTextExtents16(display_, font_, Chars16(caption_), static_cast<int>(caption_.size()),
                             &extents);
        }
        widthPixels_ = caption_.empty() ? 0 : extents.xOff;
    }
    return widthPixels_;
}

float XftLabel::Width() const { return static_cast<float>(WidthPixels()) * TwipsPerPixel(); }

// One line of the font, ascent and descent, even with an empty caption.
float XftLabel::Height() const {
    return static_cast<float>(font_->ascent + font_->descent) * TwipsPerPixel();
}

PixelRect XftLabel::PixelBounds() const {
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    const int height = font_->ascent + font_->descent;
    const int margin = height / 4 + 1;
    return PixelRect{x - margin, y - margin, WidthPixels() + 2 * margin, height + 2 * margin};
}

void XftLabel::Paint(XftDraw* draw, int offsetX, int offsetY) const {
    if (!visible_ || caption_.empty()) return;
    XftColor colour;
    if (!XftColorAllocValue(display_, XftDrawVisual(draw), XftDrawColormap(draw), &colour_, &colour)) {
        return;
    }
    const int x = static_cast<int>(std::floor(left_ / TwipsPerPixel() + 0.5f));
    const int y = static_cast<int>(std::floor(top_ / TwipsPerPixel() + 0.5f));
    XftDrawString16(draw, &colour, font_, offsetX + x, offsetY + y + font_->ascent, Chars16(caption_),
                    static_cast<int>(caption_.size()));
    XftColorFree(display_, XftDrawVisual(draw), XftDrawColormap(draw), &colour);
}

std::string XftLabel::FamilyName() const {
    FcChar8* family = nullptr;
    if (FcPatternGetString(font_->pattern, FC_FAMILY, 0, &family) != FcResultMatch) return {};
    return reinterpret_cast<const char*>(family);
}

}  // namespace kel::x11
