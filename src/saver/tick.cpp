// PLACEHOLDER until the presentation cycle lands: arms input, nudges the colour.
#include "saver/form1.h"
#include "startup/module1.h"

namespace kel {

void Form1::Timer1_Timer() {
    if (inTick_) return;
    inTick_ = true;
    Armed = 1;
    p_.Window.SetBackColor(static_cast<std::uint32_t>(BackCol));
    Armed = 1;
    BackCol = BackCol + 1;
    inTick_ = false;
}

void Form1::Lupin3() {}
void Form1::FontsizeSet() { CardSize = 72; }

float Rnd::Next() { return 0.0f; }

}  // namespace kel
