#pragma once

#include <cstdint>
#include <vector>

namespace kel {

// Plays a complete in-memory sound file without waiting for it:
// sndPlaySoundA(bytes, SND_ASYNC | SND_NODEFAULT | SND_MEMORY). A new sound
// stops the one still playing; a sound that cannot be played is silent. The
// bytes must stay alive while the sound may still play.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const std::vector<std::uint8_t>& soundFile) = 0;
};

}  // namespace kel
