// Drives the Linux sound player and speech engine on their own, printing the
// realtime millisecond of each call for tests/e2e/tools/listen to compare:
//   kel_media_check cues WAV COUNT PERIOD_MS    plays WAV COUNT times
//   kel_media_check say TEXT LIMIT_MS           speaks and waits for the end
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "sound/linux/pulse_sound_player.h"
#include "speech/linux/speechd_voice.h"

static double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "cues" && argc == 5) {
        std::ifstream in(argv[2], std::ios::binary);
        const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), {});
        kel::posix::PulseSoundPlayer player;
        for (int i = 0; i < std::atoi(argv[3]); ++i) {
            const double before = NowMs();
            player.Play(file);
            std::printf("call %.1f %.2f\n", before, NowMs() - before);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[4])));
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return 0;
    }
    if (mode == "say" && argc == 4) {
        kel::posix::SpeechDispatcherSpeaker speaker;
        const double before = NowMs();
        speaker.SpeakText(kel::Utf8ToUtf16(argv[2]));
        std::printf("call %.1f %.2f\n", before, NowMs() - before);
        speaker.FinishSpeaking(static_cast<std::uint32_t>(std::atoi(argv[3])));
        std::printf("done %.1f %d\n", NowMs(), speaker.Speaking() ? 0 : 1);
        return 0;
    }
    std::fprintf(stderr, "usage: kel_media_check cues WAV COUNT PERIOD_MS | say TEXT LIMIT_MS\n");
    return 2;
}
