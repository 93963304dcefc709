#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace sweepfilter::test
{

// Deterministic full-scale white noise in -1..1.
inline std::vector<float> noise(std::size_t frames, std::uint32_t seed)
{
    std::vector<float> samples(frames);
    std::uint32_t state = seed * 2654435761u + 1u;
    for (auto& sample : samples)
    {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
    return samples;
}

// A sawtooth-ish chord, deterministic and rich in harmonics.
inline std::vector<float> chord(std::size_t frames, float sampleRate = 44100.0f)
{
    std::vector<float> samples(frames);
    const double pitches[] = {110.0, 138.59, 164.81};
    for (std::size_t i = 0; i < frames; ++i)
    {
        double sum = 0.0;
        for (double pitch : pitches)
        {
            const double phase = std::fmod(pitch * static_cast<double>(i) / sampleRate, 1.0);
            sum += 2.0 * phase - 1.0;
        }
        samples[i] = static_cast<float>(sum / 3.0);
    }
    return samples;
}

} // namespace sweepfilter::test
