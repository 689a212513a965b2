// Speaking a saying through a speech engine that may be missing or refuse:
// the engine is created on first use, once; a Japanese voice is chosen when
// one is installed; every failure is silent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "speech/speaker.h"

namespace kel {

// The few operations of a speech engine the saver needs.
class VoiceEngine {
public:
    virtual ~VoiceEngine() = default;
    virtual bool Create() = 0;
    // Chooses the first voice that matches `requiredAttributes`; false when
    // there is none (the engine keeps its default voice).
    virtual bool SelectVoice(const std::u16string& requiredAttributes) = 0;
    virtual bool Speak(const std::u16string& text, long flags) = 0;
    // Waits until the engine has said everything, at most `limitMs`
    // milliseconds; true when it has (or cannot tell), false when it is
    // still speaking.
    virtual bool WaitUntilDone(std::uint32_t limitMs) = 0;
    // Stops whatever is being said, at once.
    virtual void Stop() = 0;
};

class SpeechSession : public Speaker {
public:
    // Speak without waiting, and cut off what the previous saying still says.
    static constexpr long kSpeakAsync = 1;
    static constexpr long kPurgeBeforeSpeak = 2;
    // Japanese, as the attribute query of the engine's voice list spells it.
    static constexpr const char16_t* kJapaneseVoice = u"Language=411";

    explicit SpeechSession(VoiceEngine& engine) : engine_(engine) {}
    void SpeakText(const std::u16string& text) override;

    // Whether the last saying the engine took is still being spoken.
    bool Speaking();
    // The engine's wait blocks everything else on the thread, so the finish
    // waits in steps this long with the caller's `between` run after each.
    static constexpr std::uint32_t kFinishStepMs = 50;

    // Lets the last saying be heard to its end, waiting at most about
    // `limitMs` milliseconds in steps of kFinishStepMs, running `between`
    // after each step that ended with the saying unfinished (a host answers
    // its messages there, and may end the program from there); stops the
    // voice when the time is up. Returns at once when nothing is being said.
    void FinishSpeaking(std::uint32_t limitMs, const std::function<void()>& between);
    // Stops the last saying, at once, if it is still being said.
    void Stop();
    // The end of a saver run: the last saying, if still being said, is
    // stopped at once, unless `letFinish` (a one-shot run that ended by
    // itself); then `beforeWaiting` runs (the host clears the screen and lets
    // a new start run) and the saying may finish as FinishSpeaking lets it.
    void EndOfRun(bool letFinish, std::uint32_t limitMs, const std::function<void()>& beforeWaiting,
                  const std::function<void()>& between);

private:
    void WaitInSteps(std::uint32_t limitMs, const std::function<void()>& between);

    enum class State { NotCreated, Ready, Unavailable };
    VoiceEngine& engine_;
    State state_ = State::NotCreated;
    bool spoken_ = false;  // the engine took the last saying
};

}  // namespace kel
