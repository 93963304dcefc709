#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "PortableMath.h"
#include "SaturatingTruncation.h"

namespace sweepfilter::mapping
{

// How host values 0..1 become physical settings. Each is evaluated in double and rounded to
// float once; values outside 0..1 go through the same formulas.

inline float cutoffHz(float v) noexcept
{
    return static_cast<float>(portable::exp((double{v} + 1.5169) * 3.940517) - 290.0);
}

inline float normalisedCutoff(float hz) noexcept
{
    return static_cast<float>(double{hz} / 20000.0);
}

inline float resonance(float v) noexcept
{
    return static_cast<float>(double{v} * double{0.99f});
}

inline bool selectsHardAlgorithm(float v) noexcept
{
    return !(v < 0.5f);
}

inline float sweepRangeHz(float v) noexcept
{
    return static_cast<float>(double{v} * 4900.0 + 100.0);
}

inline float tempoBpm(float v) noexcept
{
    return static_cast<float>(double{v} * 140.0 + 60.0);
}

inline float sweepRateHz(float bpm, std::uint32_t resolutionNotes) noexcept
{
    const float notes = static_cast<float>(resolutionNotes);
    return static_cast<float>(double{bpm} / (double{notes} * 60.0));
}

inline float percent(float v) noexcept
{
    return static_cast<float>(double{v} * 100.0);
}

// v * 200 truncated toward zero, limited to 0..200 first so that no value (NaN included,
// which gives 0) reaches an undefined conversion or a delay outside the line.
inline std::int32_t flangerDelaySamples(float v) noexcept
{
    return truncateSaturating<std::int32_t>(double{v} * 200.0, 0, 200, 0);
}

// The resolution in notes for value p, stepped at multiples of q (the float nearest 1/13).
// Returns false, leaving `notes` alone, for a value that matches no step (above 1, or NaN).
inline bool resolutionNotes(float p, std::uint32_t& notes) noexcept
{
    constexpr float q = std::bit_cast<float>(0x3D9D89D9u); // the float nearest 1/13
    constexpr std::uint32_t notesFromStep[] = {1, 2, 3, 4, 5, 6, 7, 8, 16, 32, 48, 64};
    const double value = p;
    if (value <= 1.0 && value >= 12.0 * q)
    {
        notes = 96;
        return true;
    }
    for (int k = 11; k >= 1; --k)
    {
        if (value >= k * double{q} && value < (k + 1) * double{q})
        {
            notes = notesFromStep[k];
            return true;
        }
    }
    if (value < double{q})
    {
        notes = 1;
        return true;
    }
    return false;
}

} // namespace sweepfilter::mapping
