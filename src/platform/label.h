// A windowless, auto-sized label: its width and height always follow its
// caption in its font. Geometry in twips (single precision), sizes in points.
#pragma once

#include <cstdint>
#include <string>

namespace kel {

class Label {
public:
    virtual ~Label() = default;

    virtual void SetCaption(const std::u16string& caption) = 0;
    virtual std::u16string Caption() const = 0;

    // Asks for a size in points. The label keeps the size the font engine
    // really renders and reports that one from FontSize(). A size the engine
    // cannot take (below its smallest) throws KelError(InvalidValue).
    virtual void SetFontSize(float points) = 0;
    virtual float FontSize() const = 0;

    virtual void SetLeft(float twips) = 0;
    virtual void SetTop(float twips) = 0;
    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual float Width() const = 0;   // extent of the caption, twips
    virtual float Height() const = 0;  // one line of the font, twips

    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;

    // 0x00BBGGRR
    virtual void SetForeColor(std::uint32_t colour) = 0;
};

}  // namespace kel
