// Fitting a saying to the screen's width, and the current card or saying
// laid out again for a screen of a new size.
#pragma once

#include "platform/errors.h"
#include "platform/label.h"
#include "platform/saver_window.h"
#include "saver/form1.h"

namespace kel {

// The fit loop: from the label's size down by 3 points at a time (72, 69,
// 66, ... from the saying's first size) until the caption is no wider than
// the screen; `step()` runs after each new size. Its floor is where the font
// engine refuses the next size or renders it no smaller than the one
// before: the label then keeps the smallest size reached. (A step whose
// width does not shrink is no floor: advances are rounded, and the next
// step shrinks again.)
template <typename Step>
void FitToWidth(Label& label, const SaverWindow& window, Step step) {
    while (label.Width() > window.ScreenWidthTwips()) {
        const float before = label.FontSize();
        try {
            label.SetFontSize(before - Form1::kFitStepPoints);
        } catch (const KelError& error) {
            if (error.kind() != ErrorKind::InvalidValue) throw;
            break;
        }
        step();
        if (!(label.FontSize() < before)) break;
    }
}

// `label` is Form1's Label1: a card character is shown at the card size
// (found again from the screen's height), a saying fitted to the width from
// its first size down, as the tick does; both centred. A hidden label keeps
// what it has: the tick lays it out before it shows it.
void LayOutAgain(Form1& form, Label& label, const SaverWindow& window);

}  // namespace kel
