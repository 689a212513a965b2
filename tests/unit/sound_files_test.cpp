// What we test: the two carried sound files, walked chunk by chunk with every
// field of their layout checked; that the generator still makes them byte for
// byte; that the clack is over well inside a title-card pause and the closing
// sound is audible for about 3.2 of its 4 seconds; and the walker itself on
// files that are not laid out like ours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "sound/cues.h"
#include "sound/wave_file.h"

namespace kel {
namespace {

std::vector<std::uint8_t> ReadResource(const std::string& name) {
    std::ifstream in(std::string(KEL_SOURCE_DIR) + "/src/sound/" + name,
                     std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Expected {
    const char* file;
    std::size_t fileSize;
    std::uint32_t riffSize;
    std::uint32_t samples;
};

void CheckLayout(const std::vector<std::uint8_t>& bytes, const Expected& e) {
    SCOPED_TRACE(e.file);
    ASSERT_EQ(bytes.size(), e.fileSize);
    const WaveLayout w = ReadWaveLayout(bytes);

    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(w.riffSize, e.riffSize);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WAVE");
    EXPECT_EQ(w.formEnd, e.fileSize - 2);

    ASSERT_EQ(w.chunks.size(), 3u);
    EXPECT_EQ(w.chunks[0].id, "fmt ");
    EXPECT_EQ(w.chunks[0].offset, 12u);
    EXPECT_EQ(w.chunks[0].size, 18u);
    EXPECT_EQ(w.chunks[1].id, "fact");
    EXPECT_EQ(w.chunks[1].offset, 38u);
    EXPECT_EQ(w.chunks[1].size, 4u);
    EXPECT_EQ(w.chunks[2].id, "data");
    EXPECT_EQ(w.chunks[2].offset, 50u);
    EXPECT_EQ(w.chunks[2].size, e.samples);
    EXPECT_EQ(w.chunks[2].padded, e.samples % 2 == 1);

    EXPECT_EQ(w.format.formatTag, 1);
    EXPECT_EQ(w.format.channels, 1);
    EXPECT_EQ(w.format.samplesPerSecond, 22050u);
    EXPECT_EQ(w.format.bytesPerSecond, 22050u);
    EXPECT_EQ(w.format.blockAlign, 1);
    EXPECT_EQ(w.format.bitsPerSample, 8);
    EXPECT_TRUE(w.format.hasExtensionSize);
    EXPECT_EQ(w.format.extensionSize, 16);

    EXPECT_TRUE(w.hasFact);
    EXPECT_EQ(w.factSamples, e.samples);
    EXPECT_EQ(w.dataOffset, 58u);
    EXPECT_EQ(w.dataSize, e.samples);

    // The pad byte of an odd data chunk lies inside the form; the two zero
    // bytes after the form make the file a multiple of 4.
    if (e.samples % 2 == 1) {
        EXPECT_EQ(bytes[58 + e.samples], 0);
    }
    EXPECT_EQ(58 + e.samples + e.samples % 2, w.formEnd);
    EXPECT_EQ(w.bytesAfterForm, 2u);
    EXPECT_EQ(bytes[e.fileSize - 2], 0);
    EXPECT_EQ(bytes[e.fileSize - 1], 0);
    EXPECT_EQ(e.fileSize % 4, 0u);
}

const Expected kClack = {"key_clack.wav", 8788, 8778, 8727};
const Expected kClosing = {"title_close.wav", 88268, 88258, 88208};

TEST(SoundFiles, CarriedFilesHaveTheExactLayout) {
    CheckLayout(ReadResource(kClack.file), kClack);
    CheckLayout(ReadResource(kClosing.file), kClosing);
}

TEST(SoundFiles, GeneratorMakesTheCarriedBytes) {
    EXPECT_TRUE(MakeKeyClackFile() == ReadResource(kClack.file));
    EXPECT_TRUE(MakeTitleCloseFile() == ReadResource(kClosing.file));
}

// Seconds from the start to the last sample that differs from silence (128)
// by more than `margin`; -1 when none does.
double LastAudibleSeconds(const std::vector<std::uint8_t>& samples, int margin) {
    for (std::size_t i = samples.size(); i-- > 0;) {
        if (std::abs(static_cast<int>(samples[i]) - 128) > margin) return i / 22050.0;
    }
    return -1;
}

TEST(SoundFiles, ClackEndsWellInsideThePauseAndClosingSoundLastsAbout3Point2Seconds) {
    const std::vector<std::uint8_t> clack = KeyClackSamples();
    const std::vector<std::uint8_t> closing = TitleCloseSamples();
    ASSERT_EQ(clack.size(), 8727u);
    ASSERT_EQ(closing.size(), 88208u);

    EXPECT_GT(LastAudibleSeconds(clack, 8), 0.01) << "a clack that can be heard";
    EXPECT_LT(LastAudibleSeconds(clack, 0), 0.1) << "silent long before the 200 ms pause ends";

    EXPECT_GT(LastAudibleSeconds(closing, 1), 2.9);
    EXPECT_LT(LastAudibleSeconds(closing, 0), 3.25) << "then exact silence to the end";

    for (const auto* samples : {&clack, &closing}) {
        const auto [low, high] = std::minmax_element(samples->begin(), samples->end());
        EXPECT_GT(*low, 0) << "not clipped";
        EXPECT_LT(*high, 255) << "not clipped";
        EXPECT_GT(*high - *low, 100) << "loud enough";
        EXPECT_EQ(samples->front(), 128) << "starts from silence, no click";
    }
}

TEST(WaveWalker, IgnoresWhatFollowsTheFormAndSkipsUnknownChunks) {
    std::vector<std::uint8_t> bytes = MakeWave8BitMono({100, 150, 200});
    ASSERT_EQ(bytes.size(), 64u);  // 58 + 3 samples + pad, + 2 to a multiple of 4
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a', 9, 9, 9, 9});  // after the form
    WaveLayout w = ReadWaveLayout(bytes);
    EXPECT_EQ(w.dataSize, 3u);
    EXPECT_EQ(w.bytesAfterForm, 10u);
    ASSERT_EQ(w.chunks.size(), 3u);

    // A "LIST" chunk of odd length with its pad byte, before the data.
    const std::vector<std::uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 50, list.begin(), list.end());
    const std::uint32_t riff = w.riffSize + static_cast<std::uint32_t>(list.size());
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    w = ReadWaveLayout(bytes);
    ASSERT_EQ(w.chunks.size(), 4u);
    EXPECT_EQ(w.chunks[2].id, "LIST");
    EXPECT_TRUE(w.chunks[2].padded);
    EXPECT_EQ(w.dataOffset, 58u + list.size());
    EXPECT_EQ(bytes[w.dataOffset], 100);
}

TEST(WaveWalker, RejectsWhatIsNotACompleteWaveForm) {
    const std::vector<std::uint8_t> good = MakeWave8BitMono({1, 2, 3, 4});

    std::vector<std::uint8_t> bad = good;
    bad[8] = 'X';  // not WAVE
    EXPECT_THROW(ReadWaveLayout(bad), KelError);

    bad = good;
    bad[54] = 200;  // the data chunk claims more than the form holds
    EXPECT_THROW(ReadWaveLayout(bad), KelError);

    bad = good;
    bad[4] = static_cast<std::uint8_t>(bad[4] + 8);  // the form runs past the file
    EXPECT_THROW(ReadWaveLayout(bad), KelError);

    bad = good;
    bad[50] = 'x';  // no data chunk any more
    EXPECT_THROW(ReadWaveLayout(bad), KelError);

    EXPECT_THROW(ReadWaveLayout({'R', 'I', 'F', 'F'}), KelError);
}

}  // namespace
}  // namespace kel
