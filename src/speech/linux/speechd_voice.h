// The speech engine on Linux: speech-dispatcher through libspeechd, with the
// Open JTalk output module as the Japanese voice.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "speech/speech_session.h"

namespace kel::posix {

// Connecting may start the server (a second or two on a cold start), so it
// happens on a thread of its own and the tick never waits for it; a saying
// handed over meanwhile is spoken once the voice is ready. Where the server
// or the Japanese voice is missing everything is silent and nothing is
// waited for.
class SpeechDispatcherEngine : public VoiceEngine {
public:
    SpeechDispatcherEngine() = default;
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
    // Silences whatever is being said, at once.
    void Stop() override;
    // From libspeechd's reader thread: a message ended or was cancelled.
    void MessageFinished(std::size_t messageId);

private:
    enum class Link { Idle, Connecting, Ready, Missing };
    void StartConnecting();
    void Connect();
    void Say(const std::string& utf8);
    bool SpeakingLocked() const;

    // state_ guards the fields below it and is never held across a call into
    // libspeechd (its reader thread takes it to deliver the end events);
    // calls_ keeps those calls one at a time.
    mutable std::mutex state_;
    std::condition_variable changed_;
    Link link_ = Link::Idle;
    bool wantJapanese_ = false;
    std::string waiting_;          // a saying handed over before the voice was ready
    bool hasWaiting_ = false;
    bool saying_ = false;          // a say request is on its way to the server
    std::size_t lastSaid_ = 0;     // message ids grow; the last one handed over
    std::size_t lastFinished_ = 0; // and the highest one ended or cancelled

    std::mutex calls_;
    void* connection_ = nullptr;   // SPDConnection, whose type cannot be declared ahead
    std::thread connecting_;
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
