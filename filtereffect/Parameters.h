#pragma once

#include <array>
#include <cstdint>

namespace sweepfilter
{

// The effect's parameters in host order; values are 0..1 at the interface.
enum Parameter : std::int32_t
{
    cutoffParameter,
    qFactorParameter,
    algorithmParameter,
    modRangeParameter,
    tempoParameter,
    resolutionParameter,
    sendFlangerParameter,
    flangerDelayParameter,
    parameterCount
};

using ParameterValues = std::array<float, parameterCount>;

// 20000.078 Hz, resonance 0.7425, soft, sweep off, 120.004 BPM, 64 notes, no send, 40 samples.
inline constexpr ParameterValues defaultParameterValues = {1.0f,    0.75f,   0.0f, 0.0f,
                                                           0.4286f, 0.8462f, 0.0f, 0.2f};

// Names and labels shown by hosts; the blanks are part of the texts.
inline constexpr std::array<const char*, parameterCount> parameterNames = {
    " Cutoff ",     " Q Factor ",   " Algorithm ",    "  Mod Range ",
    "    Tempo   ", " Resolution ", " Send Flanger ", " Flanger Delay "};
inline constexpr std::array<const char*, parameterCount> parameterLabels = {
    "   Hz   ", "       ",      " Q factor ", "   Hz   ",
    "   BPM  ", "   note(s)  ", "   %   ",    "   %   "};

} // namespace sweepfilter
