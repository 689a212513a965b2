// The cues on Linux: played through the desktop's sound server (PulseAudio,
// or PipeWire's PulseAudio service) with libpulse's threaded main loop.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sound.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace kel::posix {

// Each cue is a stream of its own: the whole file is handed to the server at
// once and drained, so nothing of ours wakes while it plays, and a new cue
// takes the previous stream away at once. The connection is made on the
// first cue (a run with sound off never touches the server); without a
// server every cue is silent, and connecting is tried again at most every
// few seconds, never per cue.
class PulseSoundPlayer : public SoundPlayer {
public:
    PulseSoundPlayer() = default;
    ~PulseSoundPlayer() override;
    PulseSoundPlayer(const PulseSoundPlayer&) = delete;
    PulseSoundPlayer& operator=(const PulseSoundPlayer&) = delete;

    void Play(const std::vector<std::uint8_t>& soundFile) override;

    // The samples of a PCM file as the server wants them.
    struct Cue {
        const std::uint8_t* samples = nullptr;
        std::size_t bytes = 0;
        int sampleFormat = 0;  // pa_sample_format_t
        std::uint32_t rate = 0;
        std::uint8_t channels = 0;
    };

private:
    bool StartLoop();
    void Connect();
    void Start(const Cue& cue);
    void StopCurrent();
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnDrained(pa_stream* stream, int success, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;   // the cue playing now, if any
    Cue playing_;                   // its samples
    Cue pending_;                   // waits for the connection
    bool loopFailed_ = false;
    std::chrono::steady_clock::time_point lastConnect_{};
};

}  // namespace kel::posix
