// Reading the layout of an in-memory RIFF "WAVE" sound file: the chunks are
// walked by their lengths (a format chunk may be longer than 16 bytes, a
// "fact" chunk may come before the data, an odd chunk is followed by a pad
// byte), and whatever follows the RIFF form is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kel {

struct RiffChunk {
    std::string id;           // four characters, "fmt ", "fact", "data", ...
    std::size_t offset = 0;   // of the chunk's 8-byte header
    std::uint32_t size = 0;   // of its contents, without header or pad byte
    bool padded = false;      // an odd chunk's pad byte follows its contents
};

struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    bool hasExtensionSize = false;     // the format chunk is at least 18 bytes
    std::uint16_t extensionSize = 0;
};

struct WaveLayout {
    std::uint32_t riffSize = 0;        // the length field after "RIFF"
    std::size_t formEnd = 0;           // 8 + riffSize
    std::vector<RiffChunk> chunks;     // in file order
    WaveFormat format;
    bool hasFact = false;
    std::uint32_t factSamples = 0;
    std::size_t dataOffset = 0;        // of the first sample
    std::uint32_t dataSize = 0;
    std::size_t bytesAfterForm = 0;    // ignored by the walk
};

// Throws KelError(InvalidValue) when the bytes are not a complete RIFF WAVE
// form with a format chunk and a data chunk.
WaveLayout ReadWaveLayout(const std::vector<std::uint8_t>& bytes);

// Builds the file that the saver carries for a sound: 8-bit unsigned mono PCM
// at 22,050 samples per second, an 18-byte format chunk (extension length
// 16), a "fact" chunk with the sample count, the data chunk with its pad byte
// when odd, then zero bytes up to a multiple of 4 after the RIFF form.
std::vector<std::uint8_t> MakeWave8BitMono(const std::vector<std::uint8_t>& samples);

constexpr std::uint32_t kCueSamplesPerSecond = 22050;

}  // namespace kel
