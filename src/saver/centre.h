// Centring a label on the screen, left edge first, from the label's size at
// that moment, in single precision.
#pragma once

#include "platform/label.h"
#include "platform/saver_window.h"

namespace kel {

inline void CentreLeft(Label& label, const SaverWindow& window) {
    label.SetLeft((window.ScreenWidthTwips() - label.Width()) / 2.0f);
}

inline void CentreTop(Label& label, const SaverWindow& window) {
    label.SetTop((window.ScreenHeightTwips() - label.Height()) / 2.0f);
}

inline void Centre(Label& label, const SaverWindow& window) {
    CentreLeft(label, window);
    CentreTop(label, window);
}

}  // namespace kel
