// What we test: the SAPI binding as the saver calls it. Where SAPI's SpVoice
// can be made, speaking a long saying returns at once (asynchronously) and
// never throws, whether the engine speaks (Windows with a voice) or refuses
// (Wine 8 answers E_NOTIMPL). Where it cannot be made, the test is skipped.
#include "check.h"

#include <windows.h>

#include <cstdio>

#include "speech/speech_session.h"
#include "speech/win32/sapi_speaker.h"

namespace kel::win32 {
namespace {

TEST(SapiSpeaker, SpeaksWithoutWaitingOrStaysSilent) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        SapiVoiceEngine probe;
        if (!probe.Create()) GTEST_SKIP() << "no SAPI.SpVoice here";
        const bool japanese = probe.SelectVoice(SpeechSession::kJapaneseVoice);
        const bool spoke = probe.Speak(u"\x3066\x3059\x3068", SpeechSession::kSpeakAsync |
                                                                  SpeechSession::kPurgeBeforeSpeak);
        std::printf("  note: SpVoice made; Japanese voice %s; Speak %s\n",
                    japanese ? "chosen" : "not found", spoke ? "accepted" : "refused");
    }
    SapiSpeaker speaker;
    std::u16string saying;
    for (int i = 0; i < 40; ++i) saying += u"\x541B\x3001\x8003\x3048\x6539\x3081\x3066";
    const DWORD start = ::GetTickCount();
    ASSERT_NO_THROW(speaker.SpeakText(saying));
    ASSERT_NO_THROW(speaker.SpeakText(saying));  // cuts off the first
    EXPECT_LT(::GetTickCount() - start, 3000u) << "ms: speaking must not wait for the voice";
    ::CoUninitialize();
}

}  // namespace
}  // namespace kel::win32
