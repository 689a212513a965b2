// The speech engine on Linux: speech-dispatcher through libspeechd, with the
// Open JTalk output module as the Japanese voice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "speech/speech_session.h"

namespace kel::posix {

// Every call into libspeechd runs on a thread of its own, the voice thread:
// connecting may start a server (a second or two on a cold start), and a
// server that stops answering blocks a call for good. The saver's thread
// only hands requests over and reads what the voice thread reports, so
// neither a tick nor the close step ever waits on the server. The voice
// thread is never joined: the process ends around it, and the connection
// is abandoned, not closed. Where the server or the Japanese voice is
// missing everything is silent.
class SpeechDispatcherEngine : public VoiceEngine {
public:
    SpeechDispatcherEngine();
    ~SpeechDispatcherEngine() override;
    SpeechDispatcherEngine(const SpeechDispatcherEngine&) = delete;
    SpeechDispatcherEngine& operator=(const SpeechDispatcherEngine&) = delete;

    bool Create() override;
    // Only a Japanese voice will do here (the sayings are Japanese): without
    // one the engine stays silent. Whether there is one is known only once
    // connected, so this records the wish and answers true.
    bool SelectVoice(const std::u16string& requiredAttributes) override;
    bool Speak(const std::u16string& text, long flags) override;
    bool WaitUntilDone(std::uint32_t limitMs) override;
    // Silences whatever is being said: the voice thread cancels it as soon
    // as the server listens; this returns at once.
    void Stop() override;

    // What the voice thread and libspeechd's callbacks share with the
    // saver's thread; it outlives the engine while they run.
    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

// The Linux program's speaker: a session over speech-dispatcher.
class SpeechDispatcherSpeaker : public Speaker {
public:
    SpeechDispatcherSpeaker() : session_(engine_) {}
    void SpeakText(const std::u16string& text) override { session_.SpeakText(text); }
    void Stop() { session_.Stop(); }
    SpeechSession& session() { return session_; }

private:
    SpeechDispatcherEngine engine_;
    SpeechSession session_;
};

}  // namespace kel::posix
