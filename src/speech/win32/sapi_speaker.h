// The speech engine on Windows: SAPI's SpVoice, late-bound through IDispatch.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "speech/speech_session.h"

namespace kel::win32 {

class SapiVoiceEngine : public VoiceEngine {
public:
    ~SapiVoiceEngine() override;
    bool Create() override;
    bool SelectVoice(const std::u16string& requiredAttributes) override;
    bool Speak(const std::u16string& text, long flags) override;
    bool WaitUntilDone(std::uint32_t limitMs) override;
    void Stop() override;

private:
    IDispatch* voice_ = nullptr;
};

// The saver's speaker: a session over SAPI.
class SapiSpeaker : public Speaker {
public:
    SapiSpeaker() : session_(engine_) {}
    void SpeakText(const std::u16string& text) override { session_.SpeakText(text); }
    SpeechSession& session() { return session_; }

private:
    SapiVoiceEngine engine_;
    SpeechSession session_;
};

}  // namespace kel::win32
