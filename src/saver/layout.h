// The current card or saying laid out again for a screen of a new size.
#pragma once

#include "platform/label.h"
#include "platform/saver_window.h"
#include "saver/form1.h"

namespace kel {

// `label` is Form1's Label1: a card character is shown at the card size
// (found again from the screen's height), a saying fitted to the width from
// its first size down, as the tick does; both centred. A hidden label keeps
// what it has: the tick lays it out before it shows it.
void LayOutAgain(Form1& form, Label& label, const SaverWindow& window);

}  // namespace kel
