// A label's size in points as a whole number of pixels, the same for every
// label: round(s x DPI / 72), as Windows makes a font.
#pragma once

#include <string>

namespace kel {

// The pixel height of a font of `points` at `dpi`. Throws KelError
// (InvalidValue) below one pixel, beyond 32,767 pixels, or for no number.
int LabelPixelHeight(float points, double dpi);

// From this pixel height up, a caption of one character (the title card) is
// drawn from its outline unhinted by the Linux labels: at these sizes hinting
// moves nothing one can see, and the hinter's analysis of a screen-high
// outline costs more than rendering it. Both Linux hosts draw the same pixels.
inline constexpr int kCardPixels = 64;

// A size in points for a message, to the hundredth ("12.75"), "NaN" for no
// number; without the C library's printf machinery, which the Windows
// program would otherwise carry for this alone.
std::string PointsText(float points);

}  // namespace kel
