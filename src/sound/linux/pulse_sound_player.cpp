#include "sound/linux/pulse_sound_player.h"

#include <pulse/pulseaudio.h>
#include <signal.h>

#include <exception>

#include "platform/linux/process_linux.h"
#include "platform/linux/shared_library.h"
#include "sound/wave_file.h"

namespace kel::posix {

namespace {

// The functions of libpulse the player calls, looked up when the first cue
// plays (see platform/linux/shared_library.h).
#define KEL_PULSE_FUNCTIONS(X) X(pa_context_connect) X(pa_context_disconnect) \
    X(pa_context_get_state) X(pa_context_new) X(pa_context_set_state_callback) X(pa_context_unref) \
    X(pa_operation_unref) X(pa_sample_spec_valid) X(pa_stream_connect_playback) \
    X(pa_stream_disconnect) X(pa_stream_drain) X(pa_stream_get_state) X(pa_stream_new) \
    X(pa_stream_set_state_callback) X(pa_stream_unref) X(pa_stream_write) \
    X(pa_threaded_mainloop_free) X(pa_threaded_mainloop_get_api) X(pa_threaded_mainloop_lock) \
    X(pa_threaded_mainloop_new) X(pa_threaded_mainloop_start) X(pa_threaded_mainloop_stop) \
    X(pa_threaded_mainloop_unlock) X(pa_usec_to_bytes)

struct PulseApi {
#define KEL_POINTER(name) decltype(&::name) name;
    KEL_PULSE_FUNCTIONS(KEL_POINTER)
#undef KEL_POINTER
};
const PulseApi* lib = nullptr;

const PulseApi* OpenPulse() {
    return OpenLibraryOnce<PulseApi>("libpulse.so.0", [](PulseApi& api, auto find) {
        bool all = true;
#define KEL_FIND(name) all = all && (api.name = reinterpret_cast<decltype(&::name)>(find(#name)));
        KEL_PULSE_FUNCTIONS(KEL_FIND)
#undef KEL_FIND
        return all;
    });
}

// Latency asked of the server: the cue should be heard within a few tens of
// milliseconds of the call, as a key press is.
constexpr pa_usec_t kLatencyUs = 25 * 1000;
// A server that was not there is looked for again no sooner than this.
constexpr std::chrono::seconds kRetryAfter{10};

// Reads the file's format and where its samples are; false for anything but
// 8- or 16-bit PCM, which then stays silent as it would on Windows.
bool ReadCue(const std::vector<std::uint8_t>& file, PulseSoundPlayer::Cue& cue) {
    WaveLayout layout;
    try {
        layout = ReadWaveLayout(file);
    } catch (const std::exception&) {
        return false;
    }
    const WaveFormat& f = layout.format;
    if (f.formatTag != 1 || f.channels < 1 || f.channels > 2 || f.blockAlign == 0) return false;
    if (f.bitsPerSample == 8) {
        cue.sampleFormat = PA_SAMPLE_U8;
    } else if (f.bitsPerSample == 16) {
        cue.sampleFormat = PA_SAMPLE_S16LE;
    } else {
        return false;
    }
    cue.rate = f.samplesPerSecond;
    cue.channels = static_cast<std::uint8_t>(f.channels);
    cue.samples = file.data() + layout.dataOffset;
    cue.bytes = layout.dataSize - layout.dataSize % f.blockAlign;
    return cue.bytes > 0;
}

pa_sample_spec SpecOf(const PulseSoundPlayer::Cue& cue) {
    pa_sample_spec spec;
    spec.format = static_cast<pa_sample_format_t>(cue.sampleFormat);
    spec.rate = cue.rate;
    spec.channels = cue.channels;
    return spec;
}

// Holds the main loop's lock for a scope.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) { lib->pa_threaded_mainloop_lock(loop_); }
    ~LoopLock() { lib->pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

}  // namespace

PulseSoundPlayer::~PulseSoundPlayer() {
    if (!loop_) return;
    {
        LoopLock lock(loop_);
        StopCurrent();
        if (context_) {
            lib->pa_context_set_state_callback(context_, nullptr, nullptr);
            lib->pa_context_disconnect(context_);
            lib->pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    lib->pa_threaded_mainloop_stop(loop_);
    lib->pa_threaded_mainloop_free(loop_);
}

void PulseSoundPlayer::Play(const std::vector<std::uint8_t>& soundFile) {
    // One sound at a time across the user's kel processes.
    if (!HoldSoundTurn()) return;
    Cue cue;
    const bool playable = ReadCue(soundFile, cue);
    if (!loop_ && (!playable || !StartLoop())) return;
    LoopLock lock(loop_);
    // Like the Windows call: whatever still plays stops, even for a file
    // that cannot be played.
    StopCurrent();
    pending_ = Cue();
    if (!playable) return;
    const pa_context_state_t state =
        context_ ? lib->pa_context_get_state(context_) : PA_CONTEXT_FAILED;
    if (state == PA_CONTEXT_READY) {
        Start(cue);
        return;
    }
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        const auto now = std::chrono::steady_clock::now();
        if (context_ && now - lastConnect_ < kRetryAfter) return;
        lastConnect_ = now;
        Connect();
    }
    pending_ = cue;  // started when the connection is ready
}

// The loop's thread must not take the program's signals (SIGTERM is handled
// by the host's own loop), so it starts with all of them blocked.
bool PulseSoundPlayer::StartLoop() {
    if (loopFailed_) return false;
    lib = OpenPulse();
    loop_ = lib ? lib->pa_threaded_mainloop_new() : nullptr;
    if (loop_) {
        sigset_t all, old;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &old);
        const int started = lib->pa_threaded_mainloop_start(loop_);
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        if (started == 0) return true;
        lib->pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
    loopFailed_ = true;
    return false;
}

// Called with the loop locked. Never spawns a server: a desktop without one
// stays silent.
void PulseSoundPlayer::Connect() {
    if (context_) {
        lib->pa_context_set_state_callback(context_, nullptr, nullptr);
        lib->pa_context_unref(context_);
    }
    context_ = lib->pa_context_new(lib->pa_threaded_mainloop_get_api(loop_), "kel");
    if (!context_) return;
    lib->pa_context_set_state_callback(context_, OnContextState, this);
    lib->pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

void PulseSoundPlayer::OnContextState(pa_context* context, void* self) {
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (context != player->context_) return;
    switch (lib->pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        if (player->pending_.bytes > 0) player->Start(player->pending_);
        player->pending_ = Cue();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        player->pending_ = Cue();
        player->StopCurrent();
        break;
    default:
        break;
    }
}

// Called with the loop locked and the context ready.
void PulseSoundPlayer::Start(const Cue& cue) {
    const pa_sample_spec spec = SpecOf(cue);
    if (!lib->pa_sample_spec_valid(&spec)) return;
    pa_stream* stream = lib->pa_stream_new(context_, "cue", &spec, nullptr);
    if (!stream) return;
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(lib->pa_usec_to_bytes(kLatencyUs, &spec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    lib->pa_stream_set_state_callback(stream, OnStreamState, this);
    if (lib->pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0) {
        lib->pa_stream_set_state_callback(stream, nullptr, nullptr);
        lib->pa_stream_unref(stream);
        return;
    }
    stream_ = stream;
    playing_ = cue;
}

// The whole cue goes to the server at once (the chime is 88 KB), then a
// drain starts it however short it is and tells when it has been heard.
void PulseSoundPlayer::OnStreamState(pa_stream* stream, void* self) {
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (stream != player->stream_) return;
    switch (lib->pa_stream_get_state(stream)) {
    case PA_STREAM_READY: {
        const Cue& cue = player->playing_;
        if (lib->pa_stream_write(stream, cue.samples, cue.bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            player->StopCurrent();
            return;
        }
        if (pa_operation* drain = lib->pa_stream_drain(stream, OnDrained, self)) {
            lib->pa_operation_unref(drain);
        }
        break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        player->StopCurrent();
        break;
    default:
        break;
    }
}

void PulseSoundPlayer::OnDrained(pa_stream* stream, int, void* self) {
    auto* player = static_cast<PulseSoundPlayer*>(self);
    if (stream == player->stream_) player->StopCurrent();
}

// Called with the loop locked. Disconnecting takes the stream off the sink
// at once, mid-sound if need be.
void PulseSoundPlayer::StopCurrent() {
    if (!stream_) return;
    pa_stream* stream = stream_;
    stream_ = nullptr;
    playing_ = Cue();
    lib->pa_stream_set_state_callback(stream, nullptr, nullptr);
    const pa_stream_state_t state = lib->pa_stream_get_state(stream);
    if (state == PA_STREAM_CREATING || state == PA_STREAM_READY) lib->pa_stream_disconnect(stream);
    lib->pa_stream_unref(stream);
}

}  // namespace kel::posix
