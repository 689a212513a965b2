#include "sound/cues.h"

#include <cmath>

#include "sound/wave_file.h"

namespace kel {

namespace {

constexpr double kRate = kCueSamplesPerSecond;
constexpr double kPi = 3.14159265358979323846;

// sin(2 pi x) for a phase x in cycles, by a Taylor polynomial on a quarter
// turn; accurate to about 1e-12, far below one 8-bit step.
double SineOfCycles(double x) {
    x -= std::floor(x);  // [0, 1)
    double sign = 1.0;
    if (x >= 0.5) {
        x -= 0.5;
        sign = -1.0;
    }
    if (x > 0.25) x = 0.5 - x;  // sin(pi - a) = sin(a)
    const double a = 2.0 * kPi * x;
    const double a2 = a * a;
    double term = a, sum = a;
    for (int n = 1; n <= 8; ++n) {
        term *= -a2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sign * sum;
}

// A per-sample factor that shrinks an amplitude by e over `seconds`.
double DecayPerSample(double seconds) { return 1.0 - 1.0 / (seconds * kRate); }

// Deterministic white noise in [-1, 1).
class Noise {
public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    std::uint32_t state_ = 0x6B43A9B5u;
};

std::uint8_t ToUnsigned8(double v) {
    double level = std::floor(v * 127.0 + 0.5);
    if (level > 127.0) level = 127.0;
    if (level < -127.0) level = -127.0;
    return static_cast<std::uint8_t>(128 + static_cast<int>(level));
}

std::vector<std::uint8_t> Quantise(const std::vector<double>& wave) {
    std::vector<std::uint8_t> out(wave.size());
    for (std::size_t i = 0; i < wave.size(); ++i) out[i] = ToUnsigned8(wave[i]);
    return out;
}

// A raised-cosine fade from 1 at `from` to 0 at `to` (seconds), 0 after.
double FadeOut(double t, double from, double to) {
    if (t <= from) return 1.0;
    if (t >= to) return 0.0;
    const double x = (t - from) / (to - from);  // 0..1
    return 0.5 + 0.5 * SineOfCycles(0.25 + 0.5 * x);  // cos(pi x)
}

}  // namespace

std::vector<std::uint8_t> KeyClackSamples() {
    // A key striking: a bright noise transient, a small metallic tick and a
    // short low body, all over within about 45 ms.
    constexpr double kAudibleSeconds = 0.045;
    std::vector<double> wave(kKeyClackSamples, 0.0);
    Noise noise;
    double lowPassed = 0.0;
    double noiseEnv = 0.9, tickEnv = 0.35, bodyEnv = 0.55;
    const double noiseDecay = DecayPerSample(0.004);
    const double tickDecay = DecayPerSample(0.003);
    const double bodyDecay = DecayPerSample(0.009);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (t >= kAudibleSeconds) break;
        // A gentle one-pole low-pass takes the hiss off the noise.
        lowPassed += 0.45 * (noise.Next() - lowPassed);
        const double attack = i < 22 ? static_cast<double>(i) / 22.0 : 1.0;  // 1 ms
        const double v = noiseEnv * lowPassed + tickEnv * SineOfCycles(2400.0 * t) +
                         bodyEnv * SineOfCycles(190.0 * t);
        wave[i] = attack * v * FadeOut(t, 0.030, kAudibleSeconds);
        noiseEnv *= noiseDecay;
        tickEnv *= tickDecay;
        bodyEnv *= bodyDecay;
    }
    return Quantise(wave);
}

std::vector<std::uint8_t> TitleCloseSamples() {
    // G5, E5, C5: a falling arpeggio that settles on its keynote. Each note is
    // a soft bell: a fundamental with two quieter partials that die sooner.
    struct Note {
        double start, frequency, decaySeconds;
    };
    const Note notes[] = {{0.00, 783.99, 0.70}, {0.28, 659.26, 0.85}, {0.56, 523.25, 1.40}};
    constexpr double kFadeFrom = 2.8, kAudibleSeconds = 3.2;
    constexpr double kLevel = 0.38;

    std::vector<double> wave(kTitleCloseSamples, 0.0);
    for (const Note& note : notes) {
        const auto first = static_cast<std::size_t>(note.start * kRate);
        double env = 1.0, upperEnv = 1.0;
        const double decay = DecayPerSample(note.decaySeconds);
        const double upperDecay = DecayPerSample(note.decaySeconds / 3.0);
        for (std::size_t i = first; i < wave.size(); ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double attack = t < 0.006 ? t / 0.006 : 1.0;
            const double tone = SineOfCycles(note.frequency * t) +
                                upperEnv * (0.25 * SineOfCycles(2.0 * note.frequency * t) +
                                            0.08 * SineOfCycles(3.0 * note.frequency * t));
            wave[i] += kLevel * attack * env * tone;
            env *= decay;
            upperEnv *= upperDecay;
        }
    }
    for (std::size_t i = 0; i < wave.size(); ++i) {
        wave[i] *= FadeOut(static_cast<double>(i) / kRate, kFadeFrom, kAudibleSeconds);
    }
    return Quantise(wave);
}

std::vector<std::uint8_t> MakeKeyClackFile() { return MakeWave8BitMono(KeyClackSamples()); }

std::vector<std::uint8_t> MakeTitleCloseFile() { return MakeWave8BitMono(TitleCloseSamples()); }

}  // namespace kel
