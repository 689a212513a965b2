// A host's screen changed size under the saver (the screens under the cover,
// a window resized, a new scale): the current card or saying is laid out
// again at once, by the rules it was laid out by.
#include "saver/layout.h"

#include <cmath>
#include <string>

#include "saver/centre.h"

namespace kel {

// The large card's size follows the screen's height: it is found again.
void LayOutAgain(Form1& form, Label& label, const SaverWindow& window) {
    const std::u16string caption = label.Caption();
    const bool visible = label.Visible();
    const float size = label.FontSize();
    const int cardBefore = form.CardSize;
    // One character (or a pair of code units) at the card size is a card.
    const bool card = caption.size() <= 2 && std::lround(size) == cardBefore;
    if (form.FontMode == 0) form.FontsizeSet();
    label.SetVisible(false);
    label.SetCaption(caption);
    if (!visible || caption.empty()) {
        label.SetFontSize(size == static_cast<float>(cardBefore) ? form.CardSize : size);
        label.SetVisible(visible);
        return;
    }
    if (card) {
        label.SetFontSize(form.CardSize);
    } else {
        label.SetFontSize(Form1::kSayingPoints * form.SizeScale);
        FitToWidth(label, window, [] {});
    }
    Centre(label, window);
    label.SetVisible(true);
}

}  // namespace kel
