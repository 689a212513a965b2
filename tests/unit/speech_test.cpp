// What we test: the speech session over an engine that may be missing: it is
// created on first use and only once, a Japanese voice is asked for, every
// saying is spoken without waiting and cuts off the previous one, and a
// missing engine is silent for the whole run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "speech/speech_session.h"

namespace kel {
namespace {

class RecordingEngine : public VoiceEngine {
public:
    bool Create() override {
        calls.push_back("create");
        return createWorks;
    }
    bool SelectVoice(const std::u16string& attributes) override {
        calls.push_back("voice " + Utf16ToUtf8(attributes));
        return hasJapanese;
    }
    bool Speak(const std::u16string& text, long flags) override {
        calls.push_back("speak " + Utf16ToUtf8(text) + " " + std::to_string(flags));
        return speakWorks;
    }
    bool createWorks = true, hasJapanese = true, speakWorks = true;
    std::vector<std::string> calls;
};

TEST(SpeechSession, CreatesOnceChoosesJapaneseAndSpeaksAsynchronously) {
    RecordingEngine engine;
    SpeechSession session(engine);
    session.SpeakText(u"またかいなぁ～");
    session.SpeakText(u"えぇ～いぃ！");
    const std::vector<std::string> expected = {"create", "voice Language=411",
                                               "speak またかいなぁ～ 3", "speak えぇ～いぃ！ 3"};
    EXPECT_EQ(engine.calls, expected);
}

TEST(SpeechSession, WithoutJapaneseVoiceSpeaksWithTheDefaultVoice) {
    RecordingEngine engine;
    engine.hasJapanese = false;
    SpeechSession session(engine);
    session.SpeakText(u"こんにちは");
    ASSERT_EQ(engine.calls.size(), 3u);
    EXPECT_EQ(engine.calls[2], "speak こんにちは 3");
}

TEST(SpeechSession, MissingEngineIsSilentAndNotRetried) {
    RecordingEngine engine;
    engine.createWorks = false;
    SpeechSession session(engine);
    EXPECT_NO_THROW(session.SpeakText(u"一"));
    EXPECT_NO_THROW(session.SpeakText(u"二"));
    EXPECT_EQ(engine.calls, std::vector<std::string>{"create"});
}

TEST(SpeechSession, RefusedSpeechKeepsGoing) {
    RecordingEngine engine;
    engine.speakWorks = false;
    SpeechSession session(engine);
    EXPECT_NO_THROW(session.SpeakText(u"一"));
    EXPECT_NO_THROW(session.SpeakText(u"二"));
    EXPECT_EQ(engine.calls.back(), "speak 二 3");
}

}  // namespace
}  // namespace kel
