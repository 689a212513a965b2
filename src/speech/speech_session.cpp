#include "speech/speech_session.h"

#include <algorithm>

namespace kel {

void SpeechSession::SpeakText(const std::u16string& text) {
    if (state_ == State::NotCreated) {
        if (!engine_.Create()) {
            // Not tried again: a missing engine stays missing for this run.
            state_ = State::Unavailable;
            return;
        }
        engine_.SelectVoice(kJapaneseVoice);
        state_ = State::Ready;
    }
    if (state_ != State::Ready) return;
    spoken_ = engine_.Speak(text, kSpeakAsync | kPurgeBeforeSpeak);
}

// A saying the engine refused (or no saying at all) is nothing to wait for.
bool SpeechSession::Speaking() { return spoken_ && !engine_.WaitUntilDone(0); }

void SpeechSession::FinishSpeaking(std::uint32_t limitMs,
                                   const std::function<void()>& between) {
    if (Speaking()) WaitInSteps(limitMs, between);
}

void SpeechSession::WaitInSteps(std::uint32_t limitMs, const std::function<void()>& between) {
    for (std::uint32_t waitedMs = 0; waitedMs < limitMs; waitedMs += kFinishStepMs) {
        const std::uint32_t stepMs = std::min(kFinishStepMs, limitMs - waitedMs);
        if (engine_.WaitUntilDone(stepMs)) {
            spoken_ = false;
            return;
        }
        if (between) between();
    }
    Stop();
}

void SpeechSession::Stop() {
    if (state_ == State::Ready && spoken_) engine_.Stop();
    spoken_ = false;
}

void SpeechSession::EndOfRun(bool letFinish, std::uint32_t limitMs,
                             const std::function<void()>& beforeWaiting,
                             const std::function<void()>& between) {
    if (!letFinish) {
        Stop();
        return;
    }
    if (!Speaking()) return;
    if (beforeWaiting) beforeWaiting();
    WaitInSteps(limitMs, between);
}

}  // namespace kel
