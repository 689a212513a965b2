#include "sound/wave_file.h"

#include "platform/errors.h"

namespace kel {

namespace {

[[noreturn]] void NotWave(const std::string& why) {
    throw KelError(ErrorKind::InvalidValue, "reading a sound file", why);
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::string Id(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                       b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

void PutU32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutId(std::vector<std::uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

}  // namespace

WaveLayout ReadWaveLayout(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 12 || Id(bytes, 0) != "RIFF" || Id(bytes, 8) != "WAVE") {
        NotWave("no RIFF WAVE header");
    }
    WaveLayout layout;
    layout.riffSize = U32(bytes, 4);
    layout.formEnd = 8 + static_cast<std::size_t>(layout.riffSize);
    if (layout.formEnd > bytes.size()) NotWave("the RIFF form is longer than the file");
    layout.bytesAfterForm = bytes.size() - layout.formEnd;

    bool haveFormat = false, haveData = false;
    std::size_t at = 12;
    while (at < layout.formEnd) {
        if (layout.formEnd - at < 8) NotWave("a chunk header is cut short");
        RiffChunk chunk;
        chunk.id = Id(bytes, at);
        chunk.offset = at;
        chunk.size = U32(bytes, at + 4);
        chunk.padded = (chunk.size & 1u) != 0;
        const std::size_t contents = at + 8;
        const std::size_t next = contents + chunk.size + (chunk.padded ? 1 : 0);
        if (contents + chunk.size > layout.formEnd || next > layout.formEnd) {
            NotWave("chunk \"" + chunk.id + "\" runs past the RIFF form");
        }
        if (chunk.id == "fmt ") {
            if (chunk.size < 16) NotWave("the format chunk is shorter than 16 bytes");
            WaveFormat& f = layout.format;
            f.formatTag = U16(bytes, contents);
            f.channels = U16(bytes, contents + 2);
            f.samplesPerSecond = U32(bytes, contents + 4);
            f.bytesPerSecond = U32(bytes, contents + 8);
            f.blockAlign = U16(bytes, contents + 12);
            f.bitsPerSample = U16(bytes, contents + 14);
            f.hasExtensionSize = chunk.size >= 18;
            if (f.hasExtensionSize) f.extensionSize = U16(bytes, contents + 16);
            haveFormat = true;
        } else if (chunk.id == "fact" && chunk.size >= 4) {
            layout.hasFact = true;
            layout.factSamples = U32(bytes, contents);
        } else if (chunk.id == "data") {
            layout.dataOffset = contents;
            layout.dataSize = chunk.size;
            haveData = true;
        }
        layout.chunks.push_back(chunk);
        at = next;
    }
    if (!haveFormat) NotWave("no format chunk");
    if (!haveData) NotWave("no data chunk");
    return layout;
}

std::vector<std::uint8_t> MakeWave8BitMono(const std::vector<std::uint8_t>& samples) {
    const auto count = static_cast<std::uint32_t>(samples.size());
    const bool pad = (count & 1u) != 0;
    constexpr std::uint32_t kFormatSize = 18, kFactSize = 4;
    const std::uint32_t riffSize =
        4 + (8 + kFormatSize) + (8 + kFactSize) + (8 + count + (pad ? 1 : 0));

    std::vector<std::uint8_t> b;
    b.reserve(8 + riffSize + 3);
    PutId(b, "RIFF");
    PutU32(b, riffSize);
    PutId(b, "WAVE");

    PutId(b, "fmt ");
    PutU32(b, kFormatSize);
    PutU16(b, 1);                      // PCM
    PutU16(b, 1);                      // mono
    PutU32(b, kCueSamplesPerSecond);
    PutU32(b, kCueSamplesPerSecond);   // one byte per sample
    PutU16(b, 1);                      // block alignment
    PutU16(b, 8);                      // bits per sample, unsigned
    PutU16(b, 16);                     // extension length field

    PutId(b, "fact");
    PutU32(b, kFactSize);
    PutU32(b, count);

    PutId(b, "data");
    PutU32(b, count);
    b.insert(b.end(), samples.begin(), samples.end());
    if (pad) b.push_back(0);

    // A resource is padded to a multiple of 4 bytes; the carried sounds keep
    // that padding.
    while (b.size() % 4 != 0) b.push_back(0);
    return b;
}

}  // namespace kel
