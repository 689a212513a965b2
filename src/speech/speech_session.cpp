#include "speech/speech_session.h"

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

void SpeechSession::FinishSpeaking(std::uint32_t limitMs) {
    if (Speaking()) engine_.WaitUntilDone(limitMs);
}

}  // namespace kel
