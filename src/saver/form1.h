// The saver window's logic: its state, its Load event, its input handlers, its
// close step, the tick of Timer1, the title card and the display size. Written
// against the seam in platform/; the Win32 host forwards messages here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/label.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/saver_window.h"
#include "platform/sound.h"
#include "saver/rnd.h"
#include "speech/speaker.h"

namespace kel {

// Everything the saver window's logic talks to.
struct SaverPlatform {
    Label& Label1;
    Label& Label2;
    SaverWindow& Window;
    SoundPlayer& Sound;
    Speaker& Speech;
    ::kel::Files& Files;
    ::kel::Profile& Profile;
    ::kel::Codec& Codec;
    ::kel::Process& Process;
};

class Form1 {
public:
    static constexpr int kMsgListSize = 32001;       // entries 0 to 32,000
    static constexpr int kTimerIntervalMs = 1000;
    static constexpr int kHoldPasses = 2000;         // wait phase: 1 ms passes
    static constexpr std::uint32_t kHoldMs = kHoldPasses * 1;  // held by the clock
    static constexpr int kPausePerCharMs = 200;      // title card
    static constexpr float kSayingPoints = 72.0f;    // the whole saying starts here
    static constexpr float kFitStepPoints = 3.0f;
    static constexpr int kKeySoundId = 101;
    static constexpr int kTitleSoundId = 102;

    explicit Form1(SaverPlatform& platform);

    // Events, forwarded by the host.
    void Load();
    void Click();
    void KeyDown();
    void MouseMove();
    void QueryUnload();
    void Timer1_Timer();

    // Procedures of the window.
    void ChkFiles();
    void make_init();
    void make_Msg();
    void InitRead();
    void Read_Msg();
    void FontsizeSet();
    void Lupin3();

    // The saver state.
    std::vector<std::u16string> MsgList;
    std::int16_t MsgNo = 0;
    std::int16_t MsgCount = 0;
    std::int16_t Armed = 0;
    std::int16_t ViewMode = 0;
    std::int16_t FontMode = 0;
    std::int16_t CardSize = 0;
    std::int16_t Sound = 0;
    std::int16_t Speak = 0;
    std::int16_t OneShot = 0;
    std::int16_t Frase_No = 0;
    // The background colour (lowest byte red, then green, then blue): 0 when
    // the program starts, one step per tick. 32 bits, so it widens past
    // 32,767 instead of overflowing.
    std::int32_t BackCol = 0;
    std::vector<std::uint8_t> TitleSound;
    std::vector<std::uint8_t> KeySound;

    // The share of the screen that the window shows: 1 for the saver. A
    // preview shows the screen in miniature, and the sizes the presentation
    // starts from (the title card's, the whole saying's) shrink with it.
    float SizeScale = 1.0f;

private:
    // Unload the window (QueryUnload writes the start index), then end.
    void UnloadAndEnd();

    SaverPlatform& p_;
    Rnd rnd_;
    bool inTick_ = false;
};

}  // namespace kel
