// The share of the screen that a preview's window shows: the screen scaled
// down until it fits the window both ways, never up.
#pragma once

namespace kel {

inline float MiniatureScale(float windowWidth, float windowHeight, float screenWidth,
                            float screenHeight) {
    const float across = windowWidth / screenWidth;
    const float down = windowHeight / screenHeight;
    const float scale = across < down ? across : down;
    return scale < 1.0f ? scale : 1.0f;
}

}  // namespace kel
