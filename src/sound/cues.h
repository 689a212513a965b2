// The two sound cues the saver carries, synthesised here so that the files in
// resources/ can be made again byte for byte (tools/make_sounds writes them).
// The arithmetic uses no library function whose last bit may differ between
// runtimes: sines come from a polynomial, decays from per-sample factors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kel {

// The typing clack: 8,727 samples (0.396 s); a short knock whose audible
// part is over long before the title card's 200 ms pause ends.
constexpr std::size_t kKeyClackSamples = 8727;
// The closing sound: 88,208 samples (4.000 s); a soft three-note chime that
// fades out by about 3.2 s, silence after that.
constexpr std::size_t kTitleCloseSamples = 88208;

std::vector<std::uint8_t> KeyClackSamples();
std::vector<std::uint8_t> TitleCloseSamples();

// The complete files, as carried in the resources (101 and 102).
std::vector<std::uint8_t> MakeKeyClackFile();
std::vector<std::uint8_t> MakeTitleCloseFile();

}  // namespace kel
