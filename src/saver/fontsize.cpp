// The title-card size: 72 points for the small display; for the large display
// the tallest size from 700 points down, in steps of 1 point on the size the
// label reports, at which one character is less tall than the screen.
#include "saver/form1.h"
#include "saver/int16_ops.h"

namespace kel {

namespace {
constexpr float kSmallCardPoints = 72.0f;
constexpr float kLargeCardCapPoints = 700.0f;
constexpr float kHeightFitStepPoints = 1.0f;
}  // namespace

void Form1::FontsizeSet() {
    Label& label1 = p_.Label1;

    label1.SetFontSize((FontMode != 0 ? kSmallCardPoints : kLargeCardCapPoints) * SizeScale);
    label1.SetCaption(u"*");
    label1.SetVisible(false);

    if (FontMode == 0) {
        const float screenHeight = p_.Window.ScreenHeightTwips();
        while (!(screenHeight > label1.Height())) {
            label1.SetVisible(false);
            const float sizeBefore = label1.FontSize();
            // The floor: the smallest size the font engine accepts, or a size
            // the engine renders no smaller than the one before. (A single
            // step whose height does not shrink is no floor: font heights are
            // rounded, and the next step shrinks again.)
            try {
                label1.SetFontSize(sizeBefore - kHeightFitStepPoints);
            } catch (const KelError& error) {
                if (error.kind() != ErrorKind::InvalidValue) throw;
                break;
            }
            if (!(label1.FontSize() < sizeBefore)) break;
        }
    }

    CardSize = Checked16(static_cast<long>(RoundHalfEven(label1.FontSize())),
                         "setting the title-card size");
}

}  // namespace kel
