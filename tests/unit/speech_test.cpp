// What we test: the speech session over an engine that may be missing: it is
// created on first use and only once, a Japanese voice is asked for, every
// saying is spoken without waiting and cuts off the previous one, and a
// missing engine is silent for the whole run. At the end of a one-shot run
// the last saying is waited for, within the limit given, only when the engine
// took it and is still speaking.
#include <gtest/gtest.h>

#include <algorithm>
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
    bool WaitUntilDone(std::uint32_t limitMs) override {
        calls.push_back("wait " + std::to_string(limitMs));
        if (limitMs > 0 && stillSpeaking && --stepsToFinish == 0) stillSpeaking = false;
        return !stillSpeaking;
    }
    void Stop() override { calls.push_back("stop"); }
    bool createWorks = true, hasJapanese = true, speakWorks = true, stillSpeaking = true;
    int stepsToFinish = -1;  // waits with a time until the saying ends; -1: never
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

// The finish waits in short steps with the caller's turn between them, and
// stops the voice when the limit is reached.
TEST(SpeechSession, FinishingWaitsInStepsWithinTheLimit) {
    struct Case {
        const char* what;
        int stepsToFinish;
        std::vector<std::string> tail;
        int turns;
    };
    for (const Case& c : {Case{"ends in the second step", 2, {"wait 0", "wait 50", "wait 50"}, 1},
                          Case{"outlasts the limit", -1,
                               {"wait 0", "wait 50", "wait 50", "wait 20", "stop"}, 3}}) {
        RecordingEngine engine;
        engine.stepsToFinish = c.stepsToFinish;
        SpeechSession session(engine);
        session.SpeakText(u"おはようございます");
        EXPECT_TRUE(session.Speaking()) << c.what;
        int turns = 0;
        session.FinishSpeaking(120, [&] { ++turns; });
        // after create, voice, speak and the question above
        const std::vector<std::string> tail(engine.calls.begin() + 4, engine.calls.end());
        EXPECT_EQ(tail, c.tail) << c.what;
        EXPECT_EQ(turns, c.turns) << c.what;
        EXPECT_FALSE(session.Speaking()) << c.what;
    }
}

// Only a one-shot run that ended by itself lets the saying finish, and only
// after the host has had its turn before the wait (its instance released).
TEST(SpeechSession, EndOfRunStopsOrLetsFinish) {
    struct Case {
        const char* what;
        bool letFinish, stillSpeaking;
        std::vector<std::string> tail;
    };
    for (const Case& c : {Case{"the user's click", false, true, {"stop"}},
                          Case{"ended by itself", true, true, {"wait 0", "before", "wait 50"}},
                          Case{"ended by itself, all said", true, false, {"wait 0"}}}) {
        RecordingEngine engine;
        engine.stillSpeaking = c.stillSpeaking;
        engine.stepsToFinish = 1;
        SpeechSession session(engine);
        session.SpeakText(u"一");
        session.EndOfRun(c.letFinish, 30000, [&] { engine.calls.push_back("before"); }, nullptr);
        const std::vector<std::string> tail(engine.calls.begin() + 3, engine.calls.end());
        EXPECT_EQ(tail, c.tail) << c.what;
    }
}

TEST(SpeechSession, NothingToFinishWhenNothingIsBeingSaid) {
    struct Case {
        const char* what;
        bool createWorks, speakWorks, stillSpeaking, speaks;
    };
    for (const Case& c : {Case{"nothing said yet", true, true, true, false},
                          Case{"no engine", false, true, true, true},
                          Case{"speech refused (Wine 8)", true, false, true, true},
                          Case{"already said", true, true, false, true}}) {
        RecordingEngine engine;
        engine.createWorks = c.createWorks;
        engine.speakWorks = c.speakWorks;
        engine.stillSpeaking = c.stillSpeaking;
        SpeechSession session(engine);
        if (c.speaks) session.SpeakText(u"一");
        EXPECT_FALSE(session.Speaking()) << c.what;
        session.FinishSpeaking(30000, nullptr);
        EXPECT_EQ(std::count(engine.calls.begin(), engine.calls.end(), "wait 50"), 0)
            << c.what;
    }
}

}  // namespace
}  // namespace kel
