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
    engine_.Speak(text, kSpeakAsync | kPurgeBeforeSpeak);
}

}  // namespace kel
