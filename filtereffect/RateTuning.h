#pragma once

#include <array>

namespace sweepfilter
{

// Moves the two filters' settings from the rate they are tuned for (44.1 kHz) to the host's
// rate so that each response lies where it lies at 44.1 kHz for the same cutoff in Hz.
// - Soft: the bilinear transform without pre-warping puts an analogue corner fc at the digital
//   frequency (fs/pi) atan(pi fc/fs); the corner given at the host's rate is the one that
//   lands where fc lands at 44.1 kHz.
// - Hard: its two poles at 44.1 kHz are mapped to the host's rate (z -> z^(44100/fs), the
//   same frequency and decay in seconds) and the stage coefficient and resonance that give
//   those poles are solved for. Below 44.1 kHz a pole that would pass half the rate stays
//   just short of it, so the recursion keeps a stage coefficient in 0..2 and a resonance
//   below 1, the range in which it is stable.
// At 44.1 kHz every setting passes through unchanged, bit for bit.
class RateTuning
{
public:
    static constexpr float tunedRate = 44100.0f;

    struct HardSetting
    {
        float stageCoefficient; // the normalised cutoff the hard filter runs with
        float resonance;
    };

    explicit RateTuning(float hostRate = tunedRate) noexcept;

    bool isIdentity() const noexcept { return ratio_ == 1.0; }
    float sampleRate() const noexcept { return hostRate_; }

    float softCutoffHz(float cutoffHz) const noexcept;
    HardSetting hard(float normalisedCutoff, float resonance) const noexcept;
    // Two at once, each with the bits the one-value form gives it, in about the time of one.
    std::array<float, 2> softCutoffHz(std::array<float, 2> cutoffHz) const noexcept;
    std::array<HardSetting, 2> hard(std::array<float, 2> normalisedCutoff,
                                    float resonance) const noexcept;

private:
    float hostRate_;
    double ratio_;     // 44100 / host rate
    double ratePerPi_; // host rate / pi
};

} // namespace sweepfilter
